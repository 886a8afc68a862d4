#pragma once

#include <QWidget>

namespace zorbel {

// The "style" page: shape, size, position, fill, border, blinking, presets.
class StyleSettingsContent : public QWidget {
public:
    explicit StyleSettingsContent(QWidget* parent = nullptr);
};

}  // namespace zorbel
