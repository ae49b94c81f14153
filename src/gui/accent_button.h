#pragma once

#include <QPushButton>

namespace corvane {

// The one prominent button of the window: filled with the palette's accent
// colour, white text, the size the style gives an ordinary push button.
class AccentButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace corvane
