// The playlist box: showing the playlist, reordering it in place, and the main popup menu.
#include "core/modZAUtil.h"
#include "gui/BusyCursor.h"
#include "gui/frmMain.h"
#include "gui/library/FavoritesPane.h"
#include "gui/library/FolderStatusPane.h"
#include "gui/playback/StatusStrip.h"
#include "gui/widgets/WidgetHelpers.h"
#include "library/FolderViewModel.h"
#include "library/PlaylistOps.h"
#include "playback/PlayerController.h"

#include <QCursor>
#include <QToolButton>

void frmMain::wireLibrary() {
    connect(mnuShuffle, &QAction::triggered, this, &frmMain::cmdShuffle_Click);
    connect(mnuDel, &QAction::triggered, this, &frmMain::DeleteSelectedSong);
    connect(mnuListClear, &QAction::triggered, this, &frmMain::cmdListClear_Click);
    connect(mnuSort_Track, &QAction::triggered, this, &frmMain::mnuSort_Track_Click);
    connect(mnuSort_Title, &QAction::triggered, this, &frmMain::mnuSort_Title_Click);
    connect(mnuSort_Date, &QAction::triggered, this, &frmMain::mnuSort_Date_Click);
    connect(mnuSort_Reading, &QAction::triggered, this, &frmMain::mnuSort_Reading_Click);
    connect(lstPlayList, &ListBox::keyDown, this, &frmMain::lstPlayList_KeyDown);
    connect(lstPlayList, &ListBox::keyUp, this, &frmMain::lstPlayList_KeyUp);
    connect(lstPlayList, &ListBox::rightMouseDown, this, &frmMain::ShowListPopupMenu);
    connect(lstPlayList, &ListBox::filesDropped, this, &frmMain::lstPlayList_FilesDropped);

    connect(mnuGetFile, &QAction::triggered, this, &frmMain::mnuGetFile_Click);
    connect(mnuAddFile, &QAction::triggered, this, &frmMain::mnuAddFile_Click);

    connect(picFavorites, &FavoritesPane::rowDoubleClicked, this, &frmMain::cmdGetList_Click);
    connect(picFavorites, &FavoritesPane::keyDown, this, &frmMain::lstFavoriteList_KeyDown);
    connect(picFavorites, &FavoritesPane::rightMouseDown, this,
            [this] { mnuEditor->popup(QCursor::pos()); });
    connect(mnuExecList, &QAction::triggered, this, &frmMain::mnuExecList_Click);
    connect(mnuOpneByEditor, &QAction::triggered, this, &frmMain::mnuOpneByEditor_Click);

    connect(mnuAddReserveList, &QAction::triggered, this, &frmMain::mnuAddReserveList_Click);
    for (int i = 0; i < static_cast<int>(mnuReserve.size()); ++i)
        connect(mnuReserve[i], &QAction::triggered, this, [this, i] { mnuReserve_Click(i); });
    connect(mnuClearReserveList, &QAction::triggered, this, &frmMain::mnuClearReserveList_Click);
    connect(mnuHistory, &QAction::triggered, this, &frmMain::mnuHistory_Click);

    connect(lstFolderView, &ListBox::selectionMoved, this, &frmMain::lstFolderView_Click);
    connect(lstFolderView, &ListBox::rowDoubleClicked, this, &frmMain::FolderViewOpen);
    connect(lstFolderView, &ListBox::keyDown, this, &frmMain::lstFolderView_KeyDown);
    connect(lstFolderView, &ListBox::rightMouseDown, this, &frmMain::ShowListPopupMenu);
    connect(picFolderViewStatus, &FolderStatusPane::entryFolderClicked, this,
            &frmMain::lblEntryFolder_Click);
}

void frmMain::RefreshPlayList() {
    modZAUtil::ShowListInListBox(*lstPlayList, PlayList);
    ShowPlayListCount(PlayList.Count());
}

void frmMain::ShowPlayListCount(int32_t count) {
    picStatus->setPlayListCount(PlaylistOps::CountLabelText(count));
    NotifyPlayState();  // whether there is a next song to go to
}

bool frmMain::LimitPlayList() {
    if (!PlaylistOps::KeepWithinLimit(PlayList))
        return false;
    Dialogs().message(PlaylistOps::kLimitText, QStringLiteral("ZAPT"));
    return true;
}

void frmMain::ShuffleArrayPlayList() {
    shuffler_.Shuffle(PlayList);
}

void frmMain::ClearPlayList() {
    PlayList.Clear();
    if (sequence_)
        sequence_->ForgetPlayingIndex();
    RefreshPlayList();
}

void frmMain::MovePlayListSelection(int32_t step) {
    if (auto row = PlaylistOps::MoveSelection(lstPlayList->listIndex(), step, lstPlayList->count()))
        lstPlayList->setListIndex(*row);
}

void frmMain::DeleteSelectedSong() {
    if (auto row = PlaylistOps::DeleteSelected(PlayList, lstPlayList->listIndex())) {
        RefreshPlayList();
        lstPlayList->setListIndex(*row);
    }
}

void frmMain::SortPlayList(int mode, int32_t first) {
    if (PlayList.Count() == 0 || first >= PlayList.Count())
        return;
    BusyCursor busy;
    if (mode == 0)
        PlaylistOps::SortByTrack(PlayList, first);
    else
        PlaylistOps::SortByFileName(PlayList, first);
    RefreshPlayList();
}

void frmMain::SortFolderFilesByDate() {
    BusyCursor busy;
    PlaylistOps::SortByDateNewestFirst(FolderViewFiles);
    DrawFolderView();
}

void frmMain::cmdShuffle_Click() {
    if (PlayList.Count() == 0)
        return;
    ShuffleArrayPlayList();
    RefreshPlayList();
    lstPlayList->setFocus();
}

void frmMain::cmdUpItem_Click() {
    if (auto row = PlaylistOps::MoveUp(PlayList, lstPlayList->listIndex())) {
        RefreshPlayList();
        lstPlayList->setListIndex(*row);
        lstPlayList->setFocus();
    }
}

void frmMain::cmdDownItem_Click() {
    if (auto row = PlaylistOps::MoveDown(PlayList, lstPlayList->listIndex())) {
        RefreshPlayList();
        lstPlayList->setListIndex(*row);
        lstPlayList->setFocus();
    }
}

void frmMain::cmdListClear_Click() {
    if (lstPlayList->count() == 0)
        return;
    if (Dialogs().message(PlaylistOps::kClearQuestionText, QStringLiteral("ZAPT"),
                          UserDialogs::OkCancel, UserDialogs::Cancel) != UserDialogs::Ok)
        return;
    ClearPlayList();
    lstPlayList->setFocus();
}

bool frmMain::confirmLongSort(bool needsQuestion) {
    if (!needsQuestion)
        return true;
    return Dialogs().message(PlaylistOps::kSortQuestionText, QStringLiteral("ZAPT"),
                             UserDialogs::OkCancel, UserDialogs::Ok) == UserDialogs::Ok;
}

void frmMain::mnuSort_Track_Click() {
    if (PlayList.Count() > 0 &&
        confirmLongSort(PlaylistOps::TrackSortNeedsQuestion(PlayList.Count())))
        SortPlayList(0, 0);
}

void frmMain::mnuSort_Title_Click() {
    if (PlayList.Count() > 0 &&
        confirmLongSort(PlaylistOps::NameSortNeedsQuestion(PlayList.Count())))
        SortPlayList(1, 0);
}

void frmMain::mnuSort_Date_Click() {
    if (FolderViewFiles.Count() > 0 &&
        confirmLongSort(PlaylistOps::DateSortNeedsQuestion(FolderViewFiles.Count())))
        SortFolderFilesByDate();
}

void frmMain::mnuSort_Reading_Click() {
    if (PlayList.Count() == 0 ||
        !confirmLongSort(PlaylistOps::ReadingSortNeedsQuestion(PlayList.Count())))
        return;
    BusyCursor busy;
    PlaylistOps::SortByReading(PlayList, 0);
    RefreshPlayList();
}

void frmMain::ShowListPopupMenu() {
    const bool playList = ActiveListName == QStringLiteral("lstPlayList");
    const bool hasFiles = FolderViewFiles.Count() > 0;
    for (QAction* a : {mnuShuffle, mnuDel, mnuListClear, mnuSort_Track, mnuSort_Title,
                       mnuSort_Reading, mnuHistory, mnuCep5})
        a->setVisible(playList);
    mnuSort_Date->setVisible(!playList && hasFiles);
    mnuCep3->setVisible(playList || hasFiles);
    const int row = lstFolderView->listIndex();
    const bool playVisible = playList || (row > 0 && row > FolderViewFolders.Count());
    mnuPlay->setVisible(playVisible);
    mnuGetFile->setVisible(!playVisible);
    mnuZAPT->popup(QCursor::pos());
}

void frmMain::lstPlayList_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers mods =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (mods == Qt::ShiftModifier) {
            cmdLyric_Click();
            return;
        }
        if (mods == Qt::AltModifier) {
            cmdTagInfo_Click();
            return;
        }
        cmdPlay_Click();
    } else if (key == Qt::Key_Menu) {
        lstPlayList->swallowKey();  // the window opens instead of a context menu
        cmdTagInfo_Click();
    }
}

void frmMain::lstPlayList_KeyUp(int key, Qt::KeyboardModifiers) {
    switch (key) {
    case Qt::Key_Space:
        TogglePause();
        break;
    case Qt::Key_Delete:
        DeleteSelectedSong();
        break;
    case Qt::Key_F10:
        ShowListPopupMenu();
        break;
    default:
        break;
    }
}
