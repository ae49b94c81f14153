#pragma once

#include <QWidget>

namespace corvane {

// A one-point vertical divider in the palette's mid colour.
class Hairline : public QWidget {
public:
    explicit Hairline(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace corvane
