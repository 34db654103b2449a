// The folder view: one folder at a time as a small tree, and the three registered folders.
#include "core/modZAUtil.h"
#include "gui/frmMain.h"
#include "gui/library/FolderStatusPane.h"
#include "library/FolderViewModel.h"

void frmMain::ShowFolder(const QString& path, uint8_t mode) {
    if (mode == 1) {
        picFolderViewStatus->setFolder(path);
        LoadFolderViewFolders(path);
        FolderViewFiles.Clear();
        CollectFiles(FolderViewFiles, path, false);
        DrawFolderView();
        FolderViewPath = path;
    }
    CurrentFolder = path;
}

void frmMain::LoadFolderViewFolders(const QString& path) {
    FolderViewModel::LoadFolders(FolderViewFolders, path);
}

void frmMain::DrawFolderView() {
    const QSignalBlocker quiet(lstFolderView);  // rebuilding is not a click on a row
    lstFolderView->setRows(FolderViewModel::Rows(FolderViewFolders, FolderViewFiles));
    picFolderViewStatus->setCounts(FolderViewFolders.Count(), FolderViewFiles.Count());
}

void frmMain::lstFolderView_Click() {
    const int row = lstFolderView->listIndex();
    if (FolderViewModel::IsFolderRow(row, FolderViewFolders.Count()))
        ShowFolder(FolderViewFolders.Value(row - 1), 0);
    else
        ShowFolder(FolderViewPath, 0);
}

void frmMain::FolderViewOpen() {
    const int row = lstFolderView->listIndex();
    const int32_t folders = FolderViewFolders.Count();
    auto accessError = [this] {
        Dialogs().message(QStringLiteral("ファイルまたはフォルダにアクセスできません。"),
                          QStringLiteral("ZAPT"));
    };
    if (row > 0 && FolderViewModel::IsFileRow(row, folders)) {
        AddFolderViewFile(FolderViewModel::FileIndex(row, folders));
        return;
    }
    if (row > 0) {
        const QString sub = FolderViewFolders.Value(row - 1);
        if (!modZAUtil::FolderExists(sub)) {
            accessError();
            return;
        }
        FolderViewModel::PushReturnRow(FolderViewReturnRows, row);
        ShowFolder(sub, 1);
        lstFolderView->setListIndex(0);
        return;
    }
    const QString parent = FolderViewModel::ParentFolder(CurrentFolder);
    if (parent.isEmpty())
        return;  // the root has no parent
    if (!modZAUtil::FolderExists(parent)) {
        accessError();
        return;
    }
    ShowFolder(parent, 1);
    if (FolderViewReturnRows.Count() == 0)
        lstFolderView->setListIndex(0);
    else
        lstFolderView->setListIndex(FolderViewModel::PopReturnRow(FolderViewReturnRows));
}

void frmMain::lblEntryFolder_Click(int index) {
    FolderViewReturnRows.Clear();
    const QString path = Options.EntryPath(static_cast<int16_t>(index));
    if (!path.isEmpty()) {
        ShowFolder(path, 1);
        lstFolderView->setFocus();
        return;
    }
    Dialogs().message(
        QStringLiteral(
            "登録フォルダが設定されていません。\r\nプレイヤー設定画面で設定してください。"),
        QStringLiteral("ZAPT"));
}

void frmMain::lstFolderView_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers mods =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods == Qt::NoModifier)
            FolderViewOpen();
        else if (mods == Qt::ShiftModifier)
            cmdLyric_Click();
        else if (mods == Qt::AltModifier)
            cmdTagInfo_Click();
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        lstFolderView->swallowKey();
        lstFolderView->setListIndex(0);
        FolderViewOpen();
        break;
    case Qt::Key_Space: {
        lstFolderView->swallowKey();
        const int row = lstFolderView->listIndex();
        if (FolderViewModel::IsFileRow(row, FolderViewFolders.Count())) {
            AddFolderViewFile(FolderViewModel::FileIndex(row, FolderViewFolders.Count()));
        } else {
            AddFilesFromCurrentFolder();
            lstFolderView->setFocus();
        }
        break;
    }
    case Qt::Key_F10:
        lstFolderView->swallowKey();
        ShowListPopupMenu();
        break;
    default:
        break;
    }
}
