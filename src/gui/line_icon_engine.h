#pragma once

#include <QIconEngine>
#include <QString>

namespace corvane {

// Draws a one-colour SVG line icon in the application palette's text colour,
// looked up when painted, so the icon follows a light or dark palette and is
// rendered afresh at every size and pixel ratio instead of scaled. A faded
// icon is drawn in the disabled text colour in every mode.
class LineIconEngine : public QIconEngine {
public:
    explicit LineIconEngine(QString resource, bool faded = false)
        : resource_(std::move(resource)), faded_(faded) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override;
    QIconEngine* clone() const override { return new LineIconEngine(resource_, faded_); }
    QString key() const override { return QStringLiteral("corvane-line"); }

private:
    QString resource_;
    bool faded_;
};

}  // namespace corvane
