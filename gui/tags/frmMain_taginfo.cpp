// The file information window, opened on the selected row of the playlist or the folder view.
#include "gui/frmMain.h"
#include "gui/tags/frmTagInfo.h"
#include "library/FolderViewModel.h"

void frmMain::cmdTagInfo_Click() {
    const clsArrayList* list = nullptr;
    int32_t index = -1;
    if (ActiveListName == QStringLiteral("lstPlayList")) {
        index = lstPlayList->listIndex();
        if (index >= 0)
            list = &PlayList;
    } else if (ActiveListName == QStringLiteral("lstFolderView")) {
        const int32_t row = lstFolderView->listIndex();
        const int32_t folders = FolderViewFolders.Count();
        if (row >= 0 && FolderViewFiles.Count() > 0 && FolderViewModel::IsFileRow(row, folders)) {
            list = &FolderViewFiles;
            index = FolderViewModel::FileIndex(row, folders);
        }
    } else {
        return;  // the favorite list holds no songs
    }
    if (!list) {
        Dialogs().message(QStringLiteral("ファイルを選択してください。"), QStringLiteral("ZAPT"));
        return;
    }

    frmTagInfo window(this);
    modalWindow_ = &window;
    window.FileList = list;
    window.setDispIndex(index);
    window.setColor(Options.PlayerColor(ColorSlot::TagInfoBack),
                    Options.PlayerColor(ColorSlot::TagInfoText));
    window.DispTagInfo();
    window.adjustSize();
    const QRect main = frameGeometry();
    window.move(main.topLeft() + Units.toPixels(QPoint(350, 400)));
    KeepWindowOnScreen(&window);
    RunModal(window);
    if (ActiveListName == QStringLiteral("lstPlayList"))
        lstPlayList->setFocus();
    else
        lstFolderView->setFocus();
}
