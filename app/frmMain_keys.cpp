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
    case Qt::Key_F3: {
        const int32_t upper = static_cast<int32_t>(SearchHits.size()) - 1;
        if (mods == Qt::NoModifier)
            SearchHitIndex = SearchHitIndex + 1 > upper ? 0 : SearchHitIndex + 1;
        else
            SearchHitIndex = SearchHitIndex - 1 < 0 ? upper : SearchHitIndex - 1;
        if (SearchHitIndex >= 0 && SearchHitIndex <= upper) {
            const int32_t row = SearchHits[SearchHitIndex];
            if (SearchState == 5)
                SelectListRow(lstPlayList, row);
            else if (SearchState == 10)
                SelectListRow(lstFolderView, row);
        }
        return false;
    }
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
