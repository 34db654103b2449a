#include "CommandButton.h"

#include <QActionEvent>

void CommandButton::setCommand(QAction* command) {
    const QString text = this->text();
    const QString tip = toolTip();
    const QIcon icon = this->icon();
    setDefaultAction(command);
    setText(text);
    setToolTip(tip);
    setIcon(icon);
}

void CommandButton::actionEvent(QActionEvent* event) {
    // QToolButton copies every change of its default action (the menu's visibility, which
    // disables a hidden action, too) into the button.
    if (event->type() == QEvent::ActionChanged && event->action() == defaultAction())
        return;
    QToolButton::actionEvent(event);
}
