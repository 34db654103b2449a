// Collecting audio files from folders into the playlist, and files dropped on it.
#include "core/modZAUtil.h"
#include "gui/BusyCursor.h"
#include "gui/frmMain.h"
#include "library/FileCollector.h"

void frmMain::zapGetFile(clsArrayList& list, const QString& path, int32_t getFileType,
                         bool includeSubFolders) {
    if (FileCollector::NeedsRootQuestion(path, includeSubFolders)) {
        if (Dialogs().message(FileCollector::RootQuestionText(path), QStringLiteral("ZAPT"),
                              UserDialogs::YesNo, UserDialogs::Yes) != UserDialogs::Yes)
            return;
    }
    const QString error = FileCollector::Collect(list, path, getFileType, includeSubFolders);
    if (!error.isEmpty()) {
        Dialogs().message(error, QStringLiteral("ZAPT"));
    }
}

void frmMain::CollectFiles(clsArrayList& list, const QString& path, bool includeSubFolders) {
    zapGetFile(list, path, Options.GetFileType(), includeSubFolders);
}

void frmMain::RemoveIgnoredFiles(int32_t first) {
    FileCollector::RemoveIgnoredFiles(PlayList, first, IgnoreWordList);
}

void frmMain::RemoveLineBreakNames(int32_t first) {
    const int32_t removed = FileCollector::RemoveLineBreakNames(PlayList, first);
    if (removed == 0)
        return;
    Dialogs().message(FileCollector::LineBreakNamesText(removed), QStringLiteral("ZAPT"));
}

void frmMain::AddFolderViewFile(int32_t fileIndex) {
    PlayList.Add(FolderViewFiles.Value(fileIndex));
    RemoveLineBreakNames(PlayList.Count() - 1);
    LimitPlayList();
    RefreshPlayList();
}

// Names with line breaks, ignore words, the playlist's limit and the sort by track for the entries from `first` on.
void frmMain::tidyAddedRows(int32_t first) {
    if (PlayList.Count() <= first)
        return;
    RemoveLineBreakNames(first);
    if (Options.IgnoreWord() == 1)
        RemoveIgnoredFiles(first);
    LimitPlayList();
    if (PlayList.Count() > first && !modZAUtil::HasSubFolders(CurrentFolder))
        SortPlayList(0, first);
}

void frmMain::GetFilesFromCurrentFolder() {
    BusyCursor busy;
    lstPlayList->clear();
    PlayList.Clear();
    CollectFiles(PlayList, CurrentFolder, Options.GetSubFolder() == 1);
    tidyAddedRows(0);
    RefreshPlayList();
}

void frmMain::AddFilesFromCurrentFolder() {
    BusyCursor busy;
    const int32_t before = PlayList.Count();
    lstPlayList->clear();
    CollectFiles(PlayList, CurrentFolder, Options.GetSubFolder() == 1);
    tidyAddedRows(before);
    RefreshPlayList();
}

void frmMain::cmdGetFile_Click() {
    GetFilesFromCurrentFolder();
    lstPlayList->setFocus();
}

void frmMain::mnuGetFile_Click() {
    GetFilesFromCurrentFolder();
}

void frmMain::cmdAddFile_Click() {
    const int row = lstPlayList->listIndex();
    AddFilesFromCurrentFolder();
    SelectListRow(lstPlayList, row);
    lstPlayList->setFocus();
}

void frmMain::mnuAddFile_Click() {
    const int row = lstFolderView->listIndex();
    if (ActiveListName == QStringLiteral("lstFolderView") && SelectedFile()) {
        AddFolderViewFile(row - FolderViewFolders.Count() - 1);
    } else {
        AddFilesFromCurrentFolder();
    }
}

void frmMain::cmdSetDir_Click() {
    const QString old = CurrentFolder;
    const QString chosen = modZAUtil::BrowseForFolder(CurrentFolder, Dialogs());
    if (chosen.isEmpty()) {  // "/" is a folder like any other
        CurrentFolder = old;
    } else {
        CurrentFolder = chosen;
        FolderViewReturnRows.Clear();
        ShowFolder(chosen, 1);
        const int16_t actions = Options.SetCurrentPathAction();
        if (actions & 1)
            cmdGetFile_Click();
        if (actions & 2)
            cmdAddFile_Click();
        if (actions & 8)
            cmdShuffle_Click();
        if (actions & 4)
            cmdPlay_Click();
    }
    lstPlayList->setFocus();
}

void frmMain::lstPlayList_FilesDropped(const QStringList& paths) {
    const int32_t before = PlayList.Count();
    for (const QString& path : paths) {
        if (FileCollector::Classify(path) == FileCollector::PathKind::Folder)
            CollectFiles(PlayList, path, true);  // drops always take sub-folders
        else
            FileCollector::AddPath(PlayList, path, Options.GetFileType());
    }
    RemoveLineBreakNames(before);
    LimitPlayList();
    RefreshPlayList();
}
