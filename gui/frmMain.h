#pragma once

#include "ButtonBar.h"
#include "DismissibleDialogs.h"
#include "LayoutMath.h"
#include "ScreenUnits.h"
#include "core/UserDialogs.h"
#include "core/clsArrayList.h"
#include "core/modZAUtil.h"
#include "gui/lyrics/frmLyric.h"
#include "gui/widgets/ClickLabel.h"
#include "gui/widgets/ListBox.h"
#include "library/PlaylistShuffler.h"
#include "lyrics/LyricLookup.h"
#include "playback/FileOpener.h"
#include "playback/PlayTimer.h"
#include "playback/PlayerClock.h"
#include "playback/clsZAPT_MMC.h"
#include "playback/output/SoundSystem.h"
#include "settings/clsOption.h"
#include "tags/clsTagInfo.h"

#include <QDialog>
#include <QLabel>
#include <QLockFile>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FavoritesPane;
class FolderStatusPane;
class MprisService;
class PlayRows;
class PlayerController;
class QDialog;
class QFrame;
class QLineEdit;
class QToolButton;
class QUrl;
class QWidget;
class StatusStrip;
class TimerBoxes;

// The main window. It owns the whole application state as members; its routines live in the
// folder of their subsystem (gui/playback/, gui/library/, …) as members of this class.
class frmMain : public QMainWindow {
    Q_OBJECT
    friend class MainWindowDriver;  // what the tests drive and look at

public:
    // `appFolder` holds the state files; `startPath` is the path given on the command line.
    // `dialogs` answers every box (tests pass a fake); when null the real dialogs are used.
    frmMain(const QString& appFolder, const QString& startPath,
            std::unique_ptr<UserDialogs> dialogs = nullptr);
    ~frmMain() override;

    // The start-up sequence. False when the program is to end without running: another
    // instance holds the lock, the lock cannot be made, or ending was asked during start-up.
    bool Form_Load();
    // The shutdown sequence; runs once, however many ways of closing reach it.
    void ZAPT_End();
    bool Ended() const { return ended_; }
    // A signal or the session asks the player to end: open boxes close, no further box is
    // shown, and the player ends at once, or, during start-up, as soon as start-up regains
    // control (Form_Load then returns false).
    void RequestEnd();
    bool EndRequested() const { return boxes_->Dismissed(); }

    // --- the application state -------------------------------------------------------------
    clsOption Options;
    std::unique_ptr<clsZAPT_MMC> Player;  // made by start-up, bound to MMC
    clsTagInfo PlayingTagInfo;
    clsArrayList PlayList;
    clsArrayList FavoriteLists;
    clsArrayList ReserveList;
    clsArrayList HistoryList;

    UserDialogs& Dialogs() { return *boxes_; }
    FileOpener& Opener() { return *opener_; }
    QString AppFolder() const { return appFolder_; }
    // The play sequence; made with the engine at start-up.
    PlayerController& Sequence() { return *sequence_; }

    // What the desktop's media controls call.
    void ShowVolumeLabel();
    bool TrayIconVisible() const { return TrayIconShown; }
    void TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason);
    // Puts the player on the session bus; false, with one line on stderr, when it cannot.
    // Called before Form_Load, the bus name is taken as soon as the player holds its lock, so
    // a second start can hand its path over while this one is still starting; what arrives
    // then waits until start-up has finished.
    bool StartMediaControls();
    void WantMediaControls() { mediaControlsWanted_ = true; }
    // Runs a command that came from outside the window: no box waits for an answer.
    void RunUnattended(const std::function<void()>& command) { boxes_->RunUnattended(command); }
    // A path a second start handed over: added to the playlist as a start path fills it, and
    // the first added row played. False when it names nothing the player can use.
    bool OpenHandedPath(const QString& path);
    // Asked when the lock is held by another player: hands the start path over to it. Set by
    // main; tests leave it unset.
    void SetHandOver(std::function<bool(const QString& absolutePath)> handOver) {
        HandOver = std::move(handOver);
    }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool AnyDialogVisible() const;
    void KeepWindowOnScreen(QWidget* window);

    clsArrayList FolderViewFolders;
    clsArrayList FolderViewFiles;
    clsArrayList FolderViewReturnRows;
    clsArrayList IgnoreWordList;
    clsArrayList ArtistWordList;
    clsArrayList LyricList;

    QString ActiveListName;
    QString CurrentFolder;
    QString FolderViewPath;

    ScreenUnits Units;  // from the screen at start-up
    int16_t NonClientWidth = 0;
    int16_t NonClientHeight = 0;
    bool SizingByCode = false;
    bool TrayIconShown = false;

    int32_t TagFieldIndex = 0;
    std::array<QString, 5> TagFieldNames;

    // --- controls --------------------------------------------------------------------------
    StatusStrip* picStatus = nullptr;
    TimerBoxes* timerBoxes_ = nullptr;

    ListBox* lstPlayList = nullptr;

    ButtonBar* picButton = nullptr;

    FavoritesPane* picFavorites = nullptr;

    FolderStatusPane* picFolderViewStatus = nullptr;
    ListBox* lstFolderView = nullptr;

    MciControl* MMC = nullptr;  // the media-control object for every format but MP3 and WAV

    QTimer* tmrTimer = nullptr;
    QTimer* tmrVolume = nullptr;

    QMenu* mnuZAPT = nullptr;
    QAction* mnuAddReserveList = nullptr;
    QMenu* mnuReserveList = nullptr;
    std::array<QAction*, 20> mnuReserve{};
    QAction* mnuClearReserveList = nullptr;
    QAction* mnuCep2 = nullptr;
    QAction* mnuPlay = nullptr;
    QAction* mnuPause = nullptr;
    QAction* mnuStop = nullptr;
    QAction* mnuCep1 = nullptr;
    QAction* mnuGetFile = nullptr;
    QAction* mnuAddFile = nullptr;
    QAction* mnuShuffle = nullptr;
    QAction* mnuDel = nullptr;
    QAction* mnuListClear = nullptr;
    QAction* mnuCep3 = nullptr;
    QAction* mnuSort_Track = nullptr;
    QAction* mnuSort_Title = nullptr;
    QAction* mnuSort_Date = nullptr;
    QAction* mnuSort_Reading = nullptr;
    QAction* mnuCep5 = nullptr;
    QAction* mnuHistory = nullptr;
    QMenu* mnuEditor = nullptr;
    QAction* mnuExecList = nullptr;
    QAction* mnuOpneByEditor = nullptr;

    QString AppFile(const QString& name) const;

    // --- application shell -----------------------------------------------------------------
    void SetLabelsTransparent();
    void SetToolTips();
    // Runs what a button of the bar (other than play, pause and stop) stands for.
    void picButton_Click(ButtonBar::Button button);
    void Form_Click();
    void cmdHelp_Click();
    // Opens a file with the desktop's program for it; false when there is none. Tests set it.
    std::function<bool(const QUrl&)> OpenUrl;
    // Says that no program could open `what` ("ヘルプ", "リスト", …).
    void ShowNoOpenerMessage(const QString& what);
    void ApplyDisplayOptions();
    void RefreshColor();

    // Layout (gui/frmMain_layout.cpp)
    void LayoutMainWindow();
    void LayoutMini(int16_t clientWidth, int16_t clientHeight);
    void LayoutNormal(int16_t clientWidth, int16_t clientHeight);
    void LayoutFolderViewStatus();
    void ArrangeStatusBar();
    LayoutMath::FixedHeights fixedHeights() const;
    void cmdChangeFormSize_Click();

    // Playlist (gui/library/frmMain_playlist.cpp)
    void RefreshPlayList();
    void ShowPlayListCount(int32_t count);
    // Keeps the first 32,767 entries and says so; true when some were dropped.
    bool LimitPlayList();
    void ShuffleArrayPlayList();
    void ClearPlayList();
    void MovePlayListSelection(int32_t step);
    void DeleteSelectedSong();
    void SortPlayList(int mode, int32_t first);  // 0 by track number, 1 by file name
    void SortFolderFilesByDate();
    void ShowListPopupMenu();
    // Asks before a sort that would take long; true when it may go on.
    bool confirmLongSort(bool needsQuestion);
    void cmdShuffle_Click();
    void cmdUpItem_Click();
    void cmdDownItem_Click();
    void cmdListClear_Click();
    void mnuSort_Track_Click();
    void mnuSort_Title_Click();
    void mnuSort_Date_Click();
    void mnuSort_Reading_Click();
    void lstPlayList_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void lstPlayList_KeyUp(int key, Qt::KeyboardModifiers modifiers);

    // Collection from folders (gui/library/frmMain_collect.cpp)
    void zapGetFile(clsArrayList& list, const QString& path, int32_t getFileType,
                    bool includeSubFolders);
    void CollectFiles(clsArrayList& list, const QString& path, bool includeSubFolders);
    void GetFilesFromCurrentFolder();
    void AddFilesFromCurrentFolder();
    void RemoveIgnoredFiles(int32_t first);
    void tidyAddedRows(int32_t first);
    // Takes the playlist entries from `first` on whose names hold a line break out again, and
    // says how many, once.
    void RemoveLineBreakNames(int32_t first);
    // Appends one file of the folder view to the playlist (not one whose name holds a line
    // break) and shows the playlist.
    void AddFolderViewFile(int32_t fileIndex);
    void cmdSetDir_Click();
    void cmdGetFile_Click();
    void mnuGetFile_Click();
    void cmdAddFile_Click();
    void mnuAddFile_Click();
    void lstPlayList_FilesDropped(const QStringList& paths);

    // Favorite lists (gui/library/frmMain_favorites.cpp)
    void LoadFavoriteLists();
    void ShowFavoriteLists();
    void cmdSaveList_Click();
    void cmdGetList_Click();
    void cmdAddList_Click();
    void DeleteSelectedFavoriteList();
    void mnuExecList_Click();
    void mnuOpneByEditor_Click();
    void lstFavoriteList_KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Reserve list and history (gui/library/frmMain_reserve.cpp)
    void BuildReserveMenu();
    void mnuAddReserveList_Click();
    void mnuReserve_Click(int index);
    void mnuClearReserveList_Click();
    void mnuHistory_Click();
    bool SelectedFile() const;

    // Folder view (gui/library/frmMain_folderview.cpp)
    void ShowFolder(const QString& path, uint8_t mode);  // 1 show, 0 select only
    void LoadFolderViewFolders(const QString& path);
    void DrawFolderView();
    void lstFolderView_Click();
    void FolderViewOpen();
    void lblEntryFolder_Click(int index);
    void lstFolderView_KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Play sequencing (gui/playback/frmMain_sequence.cpp): the buttons and menu items of the
    // sequence, which PlayerController runs.
    void PlayFile(const QString& path);
    void PlayNextSong();
    void StopPlay();
    void TogglePause();
    void RestoreListFocus();
    void cmdPlay_Click();
    void cmdPause_Click();
    void cmdStop_Click();
    void cmdListIndexUp_Click();
    void cmdListIndexDown_Click();
    void mnuPlay_Click();
    // The list menu was opened after the last press on a button: the shared play and stop
    // actions act as the menu's items, on the active list.
    bool fromListMenu_ = false;
    void picPlayNumber_Click();
    void picRepeatMode_Click();
    void DrawPlayNumber(PlayCount mode);
    void DrawRepeatMode(RepeatMode mode);
    QPixmap MaskedIcon(const QString& maskResource, QSize size);
    int32_t GetPlayIndex() const;
    // Selects the row GetPlayIndex gives, then plays it: every start of a playlist row.
    void PlaySelectedRow();

    // Seek bar and time display (gui/playback/frmMain_time.cpp)
    void UpdatePlayTime();
    void ResetPlayTime();
    void lblPlayTime_Click();
    void lblSeekBar_MouseDown(Qt::MouseButton button, QPoint pos);
    void lblSeekBar_MouseUp(Qt::MouseButton button, QPoint pos);

    // Play timer (gui/playback/frmMain_timer.cpp)
    void tmrTimer_Timer();
    void ShowTimerTimes();
    void picTimerMode_Click();
    void DrawTimerMode(uint8_t mode);
    bool CheckTimeText(const QString& kind, QString& text);
    bool StartDone() const { return playTimer_.StartDone(); }
    bool StopDone() const { return playTimer_.StopDone(); }
    std::function<QTime()> Clock;  // the time of day the play timer reads; tests set it

    // Volume (gui/playback/frmMain_volume.cpp)
    void cmdVolume_Click();
    void ChangeSoftVolume(int32_t step);
    // The sound device's state in the status strip, and one message when nothing is heard.
    void WatchSoundDevice();
    void ShowSoundDeviceState(SoundSystem::Status status);
    bool toldSilentDevice_ = false;

    // Keyboard (gui/frmMain_keys.cpp)
    std::vector<int32_t> SearchHits{0};
    int32_t SearchHitIndex = 0;
    int32_t SearchState = 0;
    int16_t LastSearchMode = 2;

    // Tag label (gui/tags/frmMain_taglabel.cpp)
    void InitTagFieldNames();
    void ShowTagInfoLabel();
    void ChangeTagField(int16_t step);
    void lblTagInfo_MouseDown(Qt::MouseButton button);
    void SelectListRow(ListBox* box, int32_t row);
    // The open song's length for the seek bar; 0 when nothing is open.
    int32_t SeekTotalSeconds();

    // desktop: media controls on the session bus (gui/desktop/frmMain_mpris.cpp)
    // Start-up has finished: what the desktop asked meanwhile runs now.
    void MediaControlsReady();
    // Writes the settings, the playlist and the history as an end writes them; false, with a
    // line in the session log, when a file could not be written.
    bool SaveStateFiles();
    // Once a run, before the first thing that could take the process down (the first song
    // opened, the decoder modules looked at): the state files are saved first.
    void SaveBeforeFirstRisk();
    std::function<bool(const QString& absolutePath)> HandOver;
    // Tells the desktop what changed besides the sequence's own news (the playlist).
    void NotifyPlayState();
    MprisService* mediaControls_ = nullptr;
    bool mediaControlsWanted_ = false;
    bool savedBeforeRisk_ = false;
    static bool lockPathUsable(const QString& path);

    // lyrics: the lyric index, the lookup and the lyric window (gui/lyrics/frmMain_lyrics.cpp)
    void wireLyrics();
    void LoadLyricWindow();  // start-up: the saved size and place, the window still hidden
    void SaveLyricWindow();  // shutdown: its place and last text-mode size into the options
    void LoadLyricList(const QString& folder);
    // A scan of a drive's root is asked first (Yes/No); true when the scan may go on.
    bool LyricFolderScanAllowed(const QString& folder);
    clsArrayList FindLyricFiles(const QString& songPath);
    void ShowLyrics(const QString& songPath);
    void cmdLyric_Click();
    std::unique_ptr<frmLyric> LyricWindow;
    LyricLookup lyricLookup_;

    // settings: the options dialog (gui/settings/frmMain_options.cpp) and the about window
    // Runs the options dialog; after OK shows the new settings and rebuilds the lyric index.
    void cmdOption_Click();
    void ShowVersionWindow();  // F12
    QPointer<QDialog> optionsWindow_;
    QPointer<QDialog> versionWindow_;

    // search: the search window and its hits (gui/search/frmMain_search.cpp)
    void SearchList();
    // Fills SearchHits with the rows of `box` whose shown text matches; false when none.
    bool FindRows(const QString& word, ListBox* box, int32_t mode);
    void StepSearchHit(bool forward);  // F3, and with a modifier backwards
    QString LastSearchWord;
    // Runs a modal window of the main window (search, file information); tests answer it.
    std::function<int(QDialog&)> RunModal = [](QDialog& window) { return window.exec(); };
    QPointer<QDialog> modalWindow_;  // the search or file information window while it runs

    // tags: the file information window (gui/tags/frmMain_taginfo.cpp)
    void cmdTagInfo_Click();

    // tray: the notification-area icon (gui/frmMain_tray.cpp)
    void SetTrayIcon(const QString& mode);  // "ADD", "MODIFY" or "DELETE"
    // Minimised with the tray option on: hides the window behind the icon; false when it
    // stays minimised (option off, icon shown already, or no tray on this desktop).
    bool MinimizeToTray();
    std::function<bool()> TrayAvailable = &frmMain::TrayHostAvailable;
    // Both ask the session bus's StatusNotifierWatcher once per run, with a short limit: Qt's
    // own questions to it wait 25 s each for a watcher that never answers.
    static bool TrayHostAvailable();
    static bool TrayIsNotifierItem();
    std::function<bool()> TrayClickRestores = &frmMain::TrayIsNotifierItem;
    QSystemTrayIcon* TrayIcon = nullptr;

    // Outer window size in pixels, as the stored settings keep it.
    QSize OuterSize() const;
    void SetOuterSize(QSize outer);

    void wireLibrary();
    void wirePlayback();
    void wireTimeAndVolume();
    void wireTimer();
    void timeBoxLostFocus(PlayTimer::TimeBox box);
    void buildControls();
    void buildMenus();
    void wireEvents();
    bool takesKeys(const QObject* o) const;
    // Returns true when the key is swallowed.
    bool Form_KeyDown(QKeyEvent* event);

    QString appFolder_;
    QString startPath_;
    std::unique_ptr<UserDialogs> dialogs_;
    std::unique_ptr<DismissibleDialogs> boxes_;  // every box goes through here, to dialogs_
    std::unique_ptr<QLockFile> lock_;

    PlaylistShuffler shuffler_;
    PlayTimer playTimer_;
    FileOpener* opener_ = nullptr;  // files are opened off this thread
    void makeSequence();
    void showStartedSong(const QString& path);
    QtPlayerClock clock_;
    std::unique_ptr<PlayRows> playRows_;
    std::unique_ptr<PlayerController> sequence_;  // made with the engine at start-up
    QPointer<QWidget> volumeWindow_;
    bool abandonStartup();  // ends during start-up without writing anything; returns false
    bool loaded_ = false;
    bool started_ = false;  // Form_Load has returned: the event loop runs the player
    bool ended_ = false;
};
