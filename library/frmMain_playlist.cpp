// The playlist box and its count label.
#include "app/frmMain.h"
#include "core/modZAUtil.h"

void frmMain::RefreshPlayList() {
    modZAUtil::ShowListInListBox(*lstPlayList, PlayList);
    ShowPlayListCount(PlayList.Count());
}

void frmMain::ShowPlayListCount(int32_t count) {
    lblPlayListCount->setText(count < 1 ? QStringLiteral("No File")
                                        : QStringLiteral("×") + QString::number(count));
}
