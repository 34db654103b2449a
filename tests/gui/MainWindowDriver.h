#pragma once

#include "gui/ButtonBar.h"
#include "gui/frmMain.h"
#include "gui/library/FavoritesPane.h"
#include "gui/library/FolderStatusPane.h"
#include "gui/playback/StatusStrip.h"
#include "gui/playback/TimerBoxes.h"
#include "gui/widgets/CommandButton.h"

#include <utility>

// What the tests drive and look at in the main window: its controls, its state and the
// routines behind them, by their names in the window. UI thread only, like the window.
class MainWindowDriver {
public:
    explicit MainWindowDriver(frmMain& window) : w_(window) {}

    // Controls and state, as references: tests read them, click them and set the hooks.
    auto& ActiveListName() { return w_.ActiveListName; }
    auto& Clock() { return w_.Clock; }
    auto& CurrentFolder() { return w_.CurrentFolder; }
    auto& FolderViewFiles() { return w_.FolderViewFiles; }
    auto& FolderViewFolders() { return w_.FolderViewFolders; }
    auto& FolderViewPath() { return w_.FolderViewPath; }
    auto& FolderViewReturnRows() { return w_.FolderViewReturnRows; }
    auto& IgnoreWordList() { return w_.IgnoreWordList; }
    auto& LastSearchMode() { return w_.LastSearchMode; }
    auto& LyricList() { return w_.LyricList; }
    auto& LyricWindow() { return w_.LyricWindow; }
    auto& OpenUrl() { return w_.OpenUrl; }
    auto& RunModal() { return w_.RunModal; }
    auto& SearchState() { return w_.SearchState; }
    auto& TagFieldIndex() { return w_.TagFieldIndex; }
    auto& TrayAvailable() { return w_.TrayAvailable; }
    auto& TrayClickRestores() { return w_.TrayClickRestores; }
    auto& TrayIcon() { return w_.TrayIcon; }
    auto& TrayIconShown() { return w_.TrayIconShown; }
    int TwipsPerPixelX() { return w_.Units.twipsPerPixelX(); }
    int TwipsPerPixelY() { return w_.Units.twipsPerPixelY(); }
    auto& cmdAddFile() { return w_.picButton->cmdAddFile; }
    auto& cmdAddList() { return w_.picButton->cmdAddList; }
    auto& cmdChangeFormSize() { return w_.picButton->cmdChangeFormSize; }
    auto& cmdDownItem() { return w_.picButton->cmdDownItem; }
    auto& cmdGetFile() { return w_.picButton->cmdGetFile; }
    auto& cmdGetList() { return w_.picButton->cmdGetList; }
    auto& cmdHelp() { return w_.picButton->cmdHelp; }
    auto& cmdListClear() { return w_.picButton->cmdListClear; }
    auto& cmdListIndexDown() { return w_.picButton->cmdListIndexDown; }
    auto& cmdListIndexUp() { return w_.picButton->cmdListIndexUp; }
    auto& cmdLyric() { return w_.picButton->cmdLyric; }
    auto& cmdOption() { return w_.picButton->cmdOption; }
    auto& cmdPause() { return w_.picButton->cmdPause; }
    auto& cmdPlay() { return w_.picButton->cmdPlay; }
    auto& cmdSaveList() { return w_.picButton->cmdSaveList; }
    auto& cmdSearch() { return w_.picButton->cmdSearch; }
    auto& cmdSetDir() { return w_.picButton->cmdSetDir; }
    auto& cmdShuffle() { return w_.picButton->cmdShuffle; }
    auto& cmdStop() { return w_.picButton->cmdStop; }
    auto& cmdTagInfo() { return w_.picButton->cmdTagInfo; }
    auto& cmdUpItem() { return w_.picButton->cmdUpItem; }
    auto& cmdVolume() { return w_.picButton->cmdVolume; }
    auto& mediaControls_() { return w_.mediaControls_; }
    auto& lblEntryFolder() { return w_.picFolderViewStatus->lblEntryFolder; }
    auto& lblFile() { return w_.picFolderViewStatus->lblFile; }
    auto& lblFileCount() { return w_.picFolderViewStatus->lblFileCount; }
    auto& lblFolder() { return w_.picFolderViewStatus->lblFolder; }
    auto& lblFolderCount() { return w_.picFolderViewStatus->lblFolderCount; }
    auto& lblFolderViewCurrentFolder() {
        return w_.picFolderViewStatus->lblFolderViewCurrentFolder;
    }
    auto& lblPlayListCount() { return w_.picStatus->lblPlayListCount; }
    auto& lblPlayTime() { return w_.picStatus->lblPlayTime; }
    auto& lblSeekBar() { return w_.picStatus->lblSeekBar; }
    auto& lblSoundDevice() { return w_.picStatus->lblSoundDevice; }
    auto& lblTagInfo() { return w_.picStatus->lblTagInfo; }
    auto& lblTagInfoTitle() { return w_.picStatus->lblTagInfoTitle; }
    auto& lblTime() { return w_.picStatus->lblTime; }
    auto& lblVolume() { return w_.picStatus->lblVolume; }
    auto& lstFavoriteList() { return w_.picFavorites->lstFavoriteList; }
    auto& lstFolderView() { return w_.lstFolderView; }
    auto& lstPlayList() { return w_.lstPlayList; }
    auto& mnuAddReserveList() { return w_.mnuAddReserveList; }
    auto& mnuClearReserveList() { return w_.mnuClearReserveList; }
    auto& mnuDel() { return w_.mnuDel; }
    auto& mnuExecList() { return w_.mnuExecList; }
    auto& mnuGetFile() { return w_.mnuGetFile; }
    auto& mnuHistory() { return w_.mnuHistory; }
    auto& mnuListClear() { return w_.mnuListClear; }
    auto& mnuOpneByEditor() { return w_.mnuOpneByEditor; }
    auto& mnuPause() { return w_.mnuPause; }
    auto& mnuPlay() { return w_.mnuPlay; }
    auto& mnuReserve() { return w_.mnuReserve; }
    auto& mnuShuffle() { return w_.mnuShuffle; }
    auto& mnuSort_Date() { return w_.mnuSort_Date; }
    auto& mnuSort_Title() { return w_.mnuSort_Title; }
    auto& mnuSort_Track() { return w_.mnuSort_Track; }
    auto& mnuZAPT() { return w_.mnuZAPT; }
    auto& optionsWindow_() { return w_.optionsWindow_; }
    auto& picButton() { return w_.picButton; }
    auto& picEndTime() { return w_.timerBoxes_->picEndTime; }
    auto& picFolderViewStatus() { return w_.picFolderViewStatus; }
    auto& picPlayNumber() { return w_.picStatus->picPlayNumber; }
    auto& picRepeatMode() { return w_.picStatus->picRepeatMode; }
    auto& picStartTime() { return w_.timerBoxes_->picStartTime; }
    auto& picStatus() { return w_.picStatus; }
    auto& picTimerMode() { return w_.picStatus->picTimerMode; }
    auto& shpSeekBar() { return w_.picStatus->shpSeekBar; }
    auto& shpSeekPosition() { return w_.picStatus->shpSeekPosition; }
    auto& txtEndH() { return w_.timerBoxes_->txtEndH; }
    auto& txtEndM() { return w_.timerBoxes_->txtEndM; }
    auto& txtStartH() { return w_.timerBoxes_->txtStartH; }
    auto& txtStartM() { return w_.timerBoxes_->txtStartM; }

#define ZAPT_FORWARD(name)                                                                         \
    template <typename... Args> decltype(auto) name(Args&&... args) {                              \
        return w_.name(std::forward<Args>(args)...);                                               \
    }
    // Routines, called as the window calls them.
    ZAPT_FORWARD(AddFolderViewFile)
    ZAPT_FORWARD(AnyDialogVisible)
    ZAPT_FORWARD(BuildReserveMenu)
    ZAPT_FORWARD(ClearPlayList)
    ZAPT_FORWARD(DeleteSelectedFavoriteList)
    ZAPT_FORWARD(FolderViewOpen)
    ZAPT_FORWARD(GetFilesFromCurrentFolder)
    ZAPT_FORWARD(GetPlayIndex)
    ZAPT_FORWARD(KeepWindowOnScreen)
    ZAPT_FORWARD(LoadFavoriteLists)
    ZAPT_FORWARD(RefreshPlayList)
    ZAPT_FORWARD(SearchList)
    ZAPT_FORWARD(SelectListRow)
    ZAPT_FORWARD(ShowFavoriteLists)
    ZAPT_FORWARD(ShowFolder)
    ZAPT_FORWARD(ShowListPopupMenu)
    ZAPT_FORWARD(ShowLyrics)
    ZAPT_FORWARD(ShowSoundDeviceState)
    ZAPT_FORWARD(ShowTagInfoLabel)
    ZAPT_FORWARD(ShowVersionWindow)
    ZAPT_FORWARD(StopPlay)
    ZAPT_FORWARD(TogglePause)
    static bool TrayIsNotifierItem() {
        return frmMain::TrayIsNotifierItem();
    }
    ZAPT_FORWARD(cmdChangeFormSize_Click)
    ZAPT_FORWARD(cmdListIndexDown_Click)
    ZAPT_FORWARD(cmdListIndexUp_Click)
    ZAPT_FORWARD(cmdLyric_Click)
    ZAPT_FORWARD(cmdPlay_Click)
    ZAPT_FORWARD(cmdTagInfo_Click)
    ZAPT_FORWARD(lstPlayList_FilesDropped)
    ZAPT_FORWARD(lstPlayList_KeyDown)
    ZAPT_FORWARD(tmrTimer_Timer)
#undef ZAPT_FORWARD

private:
    frmMain& w_;
};

inline MainWindowDriver ui(frmMain& window) {
    return MainWindowDriver(window);
}
