// Play sequencing: which row plays, and selecting rows so they show near the top.
#include "app/frmMain.h"

int32_t frmMain::GetPlayIndex() const {
    const int row = lstPlayList->listIndex();
    return row >= 0 ? row : 0;
}

void frmMain::SelectListRow(ListBox* box, int16_t row) {
    if (row >= box->count())
        return;
    if (row < 0) {
        box->setListIndex(-1);
        return;
    }
    // Showing row + k first scrolls so that `row` ends up near the top of the box.
    const int k = box->height() / ListBox::kRowHeight;
    if (row + k < box->count() - 1)
        box->setListIndex(row + k);
    box->setListIndex(row);
}

int32_t frmMain::SeekTotalSeconds() { return 0; }
