#pragma once

#include <QPointer>
#include <QWidget>

namespace corvane {

// A ring in the palette's focus colour around the button or list box that
// has keyboard focus. Styles draw theirs in a tint of the selection colour,
// which on a light palette barely differs from the button's own edge. Drawn
// on a see-through layer over `window`, only after focus moved by keyboard,
// as the styles do.
class FocusRing : public QWidget {
public:
    explicit FocusRing(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* focused);
    void watchPlace(bool watch);

    QPointer<QWidget> target_;
};

}  // namespace corvane
