#include "Settings/Widgets/SettingsText.h"

#include "Caret/Styles/SystemColors.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>

namespace zorbel::ui {

QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

QFont headlineFont() { return systemFont(13, QFont::DemiBold); }
QFont rowLabelFont() { return systemFont(13, QFont::Medium); }
QFont captionFont() { return systemFont(11); }
QFont caption2Font() { return systemFont(11); }
QFont subheadlineFont() { return systemFont(12); }
QFont title2Font() { return systemFont(17, QFont::DemiBold); }
QFont title3Font() { return systemFont(15, QFont::DemiBold); }

QFont monospacedDigits(QFont font)
{
    // The desktop's sans faces (Noto, DejaVu) draw every digit one width
    // already; a fixed-pitch face would only look foreign here.
    return font;
}

QColor primaryColor() { return QApplication::palette().color(QPalette::WindowText); }
QColor secondaryColor() { return withAlpha(primaryColor(), 0.55); }
QColor systemBlue() { return systemColors::blue(); }
QColor systemGreen() { return QColor(0x34, 0xC7, 0x59); }
QColor systemOrange() { return QColor(0xFF, 0x95, 0x00); }
QColor systemRed() { return systemColors::red(); }

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

QColor windowBackgroundColor() { return QApplication::palette().color(QPalette::Window); }
QColor controlBackgroundColor() { return QApplication::palette().color(QPalette::Base); }
QColor textBackgroundColor() { return QApplication::palette().color(QPalette::Base); }
QColor separatorColor() { return withAlpha(primaryColor(), 0.1); }

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    setLabelColor(label, color);
    return label;
}

void setLabelColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

}  // namespace zorbel::ui
