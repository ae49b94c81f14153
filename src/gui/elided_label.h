#pragma once

#include <QLabel>

namespace corvane {

// One line that gives up room before its neighbours do: where the layout has
// less than it needs, it ends in "…" instead of being cut inside a letter.
// Its tooltip and its accessible text hold the whole line.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    void setLine(const QString& line);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace corvane
