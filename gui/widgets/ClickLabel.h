#pragma once

#include "ElidingLabel.h"

// A label that reports mouse presses and releases (the seek bar, the tag labels, the mode
// buttons and the registered-folder tabs are labels that act on clicks).
class ClickLabel : public ElidingLabel {
    Q_OBJECT
public:
    using ElidingLabel::ElidingLabel;
Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, QPoint pos);
    void mouseUp(Qt::MouseButton button, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
