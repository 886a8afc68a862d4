#pragma once

#include <QWidget>

namespace zorbel {

// The small round swatch of a preset colour; with the glow it stands for
// Caps Lock. 30 × 30, or 45 × 45 with the glow.
class SimpleStylePreview : public QWidget {
public:
    SimpleStylePreview(const QString& colorHex, bool showCapsLockGlow, QWidget* parent = nullptr);
    void setColorHex(const QString& colorHex);
    QSize sizeHint() const override;

    // The colour of a "#RRGGBB" text (leading digits read, surrounding blanks
    // and every "#" ignored, no digits giving black); opaque.
    static QColor color(const QString& colorHex);
    // White swatches get a black outline, so they stay visible; the exact
    // text "#FFFFFF" only.
    static QColor outline(const QString& colorHex);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString colorHex_;
    bool glow_;
};

}  // namespace zorbel
