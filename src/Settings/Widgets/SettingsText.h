#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace zorbel::ui {

// Text styles of the settings window. Sizes that the design gives in points
// are used as pixel sizes, so the window looks the same at every screen
// resolution setting and fits its fixed 1100 by 680 frame.
QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont headlineFont();     // section titles
QFont rowLabelFont();     // 13, medium
QFont captionFont();      // explanations and values
QFont caption2Font();
QFont subheadlineFont();
QFont title2Font();       // tab header
QFont title3Font();       // preview header
QFont monospacedDigits(QFont font);

QColor primaryColor();
QColor secondaryColor();
QColor systemBlue();
QColor systemGreen();
QColor systemOrange();
QColor systemRed();
QColor withAlpha(QColor color, double alpha);
// The desktop palette's window, control and text backgrounds and separator.
QColor windowBackgroundColor();
QColor controlBackgroundColor();
QColor textBackgroundColor();
QColor separatorColor();

// A label in a given font and colour; word wrap off unless asked.
QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);
void setLabelColor(QLabel* label, const QColor& color);

}  // namespace zorbel::ui
