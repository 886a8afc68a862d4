#pragma once

#include <QAbstractButton>
#include <QWidget>

#include <vector>

namespace zorbel::ui {

// A row of joined segments, one of them (or none) selected. Each segment is
// a button that reports only its click, also of the selected one; showing a
// value never reports back.
class SegmentedPicker : public QWidget {
public:
    // `names` become the segments' object names.
    SegmentedPicker(const QStringList& labels, const QStringList& names, QWidget* parent = nullptr);
    // -1 selects no segment.
    void setSelectedIndex(int index);
    int selectedIndex() const { return selected_; }
    QAbstractButton* segment(int index) const { return segments_[static_cast<size_t>(index)]; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<QAbstractButton*> segments_;
    int selected_ = -1;
};

}  // namespace zorbel::ui
