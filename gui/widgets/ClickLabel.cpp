#include "ClickLabel.h"

#include <QMouseEvent>

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    Q_EMIT mouseDown(event->button(), event->position().toPoint());
    QLabel::mousePressEvent(event);
    event->accept();  // the click was the label's: the strip behind must not take it too
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    Q_EMIT mouseUp(event->button(), event->position().toPoint());
    QLabel::mouseReleaseEvent(event);
}
