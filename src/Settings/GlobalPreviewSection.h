#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/Reactive/Cancellable.h"

#include <QWidget>

class QLabel;
class QVariantAnimation;

namespace zorbel {

// The picture of the live preview: a mock text field with its caret and the
// sample indicator in the current style, placed beside the mock caret as
// the desktop places the real one. A style change pulses the sample (it
// shrinks and fades a little, then springs back); nothing animates while
// nothing changes.
class BrindotGlobalPreview : public QWidget {
    Q_OBJECT
public:
    explicit BrindotGlobalPreview(QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(550, 380); }
    const BrindotStyle& shownStyle() const { return style_; }
    double pulse() const { return pulse_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void showStyle(const BrindotStyle& style);
    void animatePulseTo(double target);
    void paintBackground(QPainter& p) const;
    void paintIndicator(QPainter& p) const;

    BrindotStyle style_;
    bool haveStyle_ = false;
    double pulse_ = 0;  // 0: shrunk and faded, 1: full size
    QVariantAnimation* animation_;
    rx::Cancellable subscription_;
    std::shared_ptr<BrindotGlobalPreview*> self_ = std::make_shared<BrindotGlobalPreview*>(this);

public:
    ~BrindotGlobalPreview() override;
};

// The summary strip under the picture.
class PreviewInfoSection : public QWidget {
public:
    explicit PreviewInfoSection(QWidget* parent = nullptr);

private:
    QLabel* shape_;
    QLabel* size_;
    rx::Cancellable subscription_;
};

// The content of the preview column.
class GlobalPreviewSection : public QWidget {
public:
    explicit GlobalPreviewSection(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace zorbel
