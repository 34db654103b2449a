#pragma once

#include <QToolButton>

// A tool button that runs the QAction of its command, the one the menu item shows, while it
// keeps its own look and state: its icon, its own tool tip, enabled. The menu
// may hide its item without the button following. UI thread only.
class CommandButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;
    // Clicking the button triggers `command`; the button's text, tip and state stay its own.
    void setCommand(QAction* command);

protected:
    void actionEvent(QActionEvent* event) override;
};
