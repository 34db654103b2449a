// The reserve queue (songs to play next) and the history of songs played.
#include "gui/frmMain.h"
#include "library/FolderViewModel.h"
#include "library/ReserveQueue.h"

void frmMain::BuildReserveMenu() {
    const ReserveQueue::MenuModel model = ReserveQueue::BuildMenu(ReserveList);
    for (size_t i = 0; i < mnuReserve.size(); ++i) {
        QString caption = model.captions[i];
        mnuReserve[i]->setText(caption.replace(u'&', QStringLiteral("&&")));
        mnuReserve[i]->setVisible(model.visible[i]);
    }
    mnuClearReserveList->setText(model.clearCaption);
    mnuAddReserveList->setEnabled(model.addEnabled);
}

bool frmMain::SelectedFile() const {
    return FolderViewModel::IsFileRow(lstFolderView->listIndex(), FolderViewFolders.Count());
}

void frmMain::mnuAddReserveList_Click() {
    if (ActiveListName == QStringLiteral("lstPlayList")) {
        const int row = lstPlayList->listIndex();
        if (row < 0)
            return;
        ReserveQueue::Add(ReserveList, PlayList.Value(row));
    } else {
        if (!SelectedFile())
            return;
        ReserveQueue::Add(ReserveList, FolderViewFiles.Value(lstFolderView->listIndex() -
                                                             FolderViewFolders.Count() - 1));
    }
    BuildReserveMenu();
}

void frmMain::mnuReserve_Click(int index) {
    if (index < 0 || index >= ReserveList.Count())
        return;
    PlayFile(ReserveList.Value(index));
    ReserveQueue::TakeAt(ReserveList, index);
    BuildReserveMenu();
}

void frmMain::mnuClearReserveList_Click() {
    ReserveList.Clear();
    BuildReserveMenu();
}

void frmMain::mnuHistory_Click() {
    HistoryList.Clone(PlayList);
    RefreshPlayList();
}
