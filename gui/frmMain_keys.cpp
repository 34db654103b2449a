// The main window's global keys, seen before the focused control.
#include "frmMain.h"

#include <QKeyEvent>

bool frmMain::Form_KeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods != Qt::ShiftModifier)
            return false;  // the lists move their selection themselves
        ChangeSoftVolume(event->key() == Qt::Key_Up ? +5 : -5);
        ShowVolumeLabel();
        return true;  // the focused control does not see the volume keys
    case Qt::Key_F1:
        cmdHelp_Click();
        return false;
    case Qt::Key_F3:
        StepSearchHit(mods == Qt::NoModifier);
        return false;
    case Qt::Key_F:
        if (mods != Qt::ControlModifier && mods != (Qt::ControlModifier | Qt::ShiftModifier))
            return false;
        SearchList();
        return true;  // the focused control does not get the character
    case Qt::Key_F5:
        cmdSetDir_Click();
        return false;
    case Qt::Key_F11:
        cmdChangeFormSize_Click();
        return false;
    case Qt::Key_F12:
        ShowVersionWindow();
        return false;
    default:
        return false;
    }
}
