#pragma once

#include <QColor>
#include <QFrame>

class QVBoxLayout;

namespace zorbel {

// The titled card every section of the plain settings pages sits in: the
// title (or a header row) over the section's rows, on a faint rounded panel.
class SettingsSectionCard : public QFrame {
    Q_OBJECT
public:
    // An empty title leaves the header to setHeader().
    explicit SettingsSectionCard(const QString& title, QWidget* parent = nullptr);
    QVBoxLayout* body() const { return body_; }
    void setHeader(QWidget* header);
    void setStrokeColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QVBoxLayout* body_;
    QColor stroke_;
};

}  // namespace zorbel
