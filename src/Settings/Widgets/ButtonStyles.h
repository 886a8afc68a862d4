#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace zorbel::ui {

// The two button looks of the settings pages: bordered (the desktop's own
// push button) and prominent (filled with the accent blue, white text).
enum class ButtonKind { bordered, prominent };
enum class ControlSize { small, regular, large };

// A push button that never becomes a dialog's default by itself.
QPushButton* makeButton(const QString& text, ButtonKind kind, ControlSize size = ControlSize::regular,
                        QWidget* parent = nullptr);
// The same with a symbol before the text.
QPushButton* makeButton(const QString& symbol, const QString& text, ButtonKind kind, ControlSize size,
                        QWidget* parent = nullptr);

}  // namespace zorbel::ui
