#include "frmMain.h"

#include "ButtonBar.h"
#include "LayoutMath.h"
#include "QtUserDialogs.h"
#include "StartPath.h"
#include "core/Logging.h"
#include "core/modZAUtil.h"
#include "gui/library/FavoritesPane.h"
#include "gui/library/FolderStatusPane.h"
#include "gui/playback/StatusStrip.h"
#include "gui/playback/TimerBoxes.h"
#include "gui/widgets/WidgetHelpers.h"
#include "library/FileCollector.h"
#include "playback/PlayerController.h"
#include "playback/decoder/vbmp3.h"
#include "playback/mci/MciControl.h"
#include "playback/output/SoundSystem.h"
#include "settings/SchemeColor.h"
#include "tags/TagText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

using namespace modZAUtil;

namespace {

// Design-time heights of the fixed strips; the layout reads them and never changes them.
constexpr int kButtonBarHeight = 52;
constexpr int kFolderStatusHeight = 42;
constexpr int kButtonSize = 24;

// The options' ReplayGain for every route; the songs come shuffled in the random mode.
void applyReplayGain(const clsOption& o) {
    ReplayGain::Settings s;
    s.mode = o.GainMode() == GainMode::Track   ? ReplayGain::Mode::Track
             : o.GainMode() == GainMode::Album ? ReplayGain::Mode::Album
             : o.GainMode() == GainMode::Off   ? ReplayGain::Mode::Off
                                               : ReplayGain::Mode::AlbumInOrder;
    s.preampDb = static_cast<float>(o.PreampDb());
    s.preventClipping = o.PreventClipping();
    s.shuffled = o.Repeat() == RepeatMode::Random;
    vbmp3_setReplayGain(s);
}

// What tells that the row kept for resuming still holds the song that was heard.
uint16_t resumeCheck(const QString& path) {
    return qChecksum(path.toUtf8());
}

}  // namespace

static void initResources() {
    Q_INIT_RESOURCE(zapt);
}

frmMain::frmMain(const QString& appFolder, const QString& startPath,
                 std::unique_ptr<UserDialogs> dialogs)
    : appFolder_(appFolder), startPath_(startPath), dialogs_(std::move(dialogs)) {
    initResources();  // the icons live in a static library
    if (!dialogs_)
        dialogs_ = std::make_unique<QtUserDialogs>(this);
    boxes_ = std::make_unique<DismissibleDialogs>(*dialogs_);
    OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    setWindowTitle(QStringLiteral("ZAPT"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/zapt.png")));
    buildControls();
    buildMenus();
    wireEvents();
    wireLibrary();
    wirePlayback();
    wireTimeAndVolume();
    wireTimer();
    wireLyrics();
}

frmMain::~frmMain() {
    SoundSystem::setStatusHandler(nullptr);
    // The focused time box loses the focus while the widgets below go, after this object's
    // own part is gone: its report must not reach the window any more.
    disconnect(timerBoxes_, nullptr, this, nullptr);
}

QString frmMain::AppFile(const QString& name) const {
    return appFolder_ + u'/' + name;
}

void frmMain::buildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    picStatus = new StatusStrip(client);
    timerBoxes_ = new TimerBoxes(picStatus);

    lstPlayList = new ListBox(client);
    lstPlayList->setObjectName(QStringLiteral("lstPlayList"));
    lstPlayList->setAccessibleName(QStringLiteral("プレイリスト"));
    lstPlayList->setAcceptFileDrops(true);

    picButton = new ButtonBar(client, kButtonSize);
    picButton->resize(300, kButtonBarHeight);

    picFavorites = new FavoritesPane(client);

    picFolderViewStatus = new FolderStatusPane(client);
    picFolderViewStatus->resize(200, kFolderStatusHeight);
    lstFolderView = new ListBox(client);
    lstFolderView->setObjectName(QStringLiteral("lstFolderView"));
    lstFolderView->setAccessibleName(QStringLiteral("フォルダビュー"));
    // The playlist has the keyboard focus from the start, as after every command; the time
    // boxes, made first, would otherwise take it.
    lstPlayList->setFocus();

    MMC = new MciControl(this);

    tmrTimer = new QTimer(this);
    tmrTimer->setInterval(5000);
    tmrVolume = new QTimer(this);
    tmrVolume->setInterval(2000);
}

void frmMain::buildMenus() {
    // Popup menus only: the window has no menu bar.
    mnuZAPT = new QMenu(QStringLiteral("ZAPT_Menu"), this);
    mnuAddReserveList = mnuZAPT->addAction(QStringLiteral("予約リストに追加"));
    mnuReserveList = mnuZAPT->addMenu(QStringLiteral("予約リスト"));
    for (auto& item : mnuReserve) {
        item = mnuReserveList->addAction(QString());
        item->setVisible(false);
    }
    mnuClearReserveList = mnuReserveList->addAction(QStringLiteral("(クリア)"));
    mnuCep2 = mnuZAPT->addSeparator();
    mnuPlay = mnuZAPT->addAction(QStringLiteral("再生"));
    mnuPause = mnuZAPT->addAction(QStringLiteral("一時停止／再開"));
    mnuStop = mnuZAPT->addAction(QStringLiteral("停止"));
    picButton->setCommands(mnuPlay, mnuPause, mnuStop);
    mnuCep1 = mnuZAPT->addSeparator();
    mnuGetFile = mnuZAPT->addAction(QStringLiteral("ファイルの取得"));
    mnuAddFile = mnuZAPT->addAction(QStringLiteral("ファイルの追加"));
    mnuShuffle = mnuZAPT->addAction(QStringLiteral("シャッフル"));
    mnuDel = mnuZAPT->addAction(QStringLiteral("1曲削除"));
    mnuListClear = mnuZAPT->addAction(QStringLiteral("リスト内の曲を全て削除"));
    mnuCep3 = mnuZAPT->addSeparator();
    mnuSort_Track = mnuZAPT->addAction(QStringLiteral("トラック順に並び替える"));
    mnuSort_Title = mnuZAPT->addAction(QStringLiteral("タイトル順に並び替える"));
    mnuSort_Reading = mnuZAPT->addAction(QStringLiteral("読みで並べ替え"));
    mnuSort_Date = mnuZAPT->addAction(QStringLiteral("日付順に並び替える"));
    mnuCep5 = mnuZAPT->addSeparator();
    mnuHistory = mnuZAPT->addAction(QStringLiteral("最近聞いた曲"));

    mnuEditor = new QMenu(QStringLiteral("Editor"), this);
    mnuExecList = mnuEditor->addAction(QStringLiteral("関連付けアプリで開く"));
    mnuOpneByEditor = mnuEditor->addAction(QStringLiteral("エディタで開く"));
}

void frmMain::wireEvents() {
    connect(picButton, &ButtonBar::clicked, this, &frmMain::picButton_Click);
    WatchSoundDevice();
    connect(picStatus, &StatusStrip::tagLabelClicked, this,
            [this](Qt::MouseButton b) { lblTagInfo_MouseDown(b); });
    connect(lstPlayList, &ListBox::gotFocus, this,
            [this] { ActiveListName = QStringLiteral("lstPlayList"); });
    connect(lstFolderView, &ListBox::gotFocus, this,
            [this] { ActiveListName = QStringLiteral("lstFolderView"); });
    connect(picFavorites, &FavoritesPane::gotFocus, this,
            [this] { ActiveListName = QStringLiteral("lstFavoriteList"); });
    for (QWidget* w : {static_cast<QWidget*>(picStatus), static_cast<QWidget*>(picButton),
                       static_cast<QWidget*>(picFolderViewStatus)})
        w->installEventFilter(this);
    // The window sees every key before its controls do: the filter sits on each control that
    // can have the focus, and on the window itself.
    for (QWidget* w : {lstPlayList, lstFolderView})
        w->installEventFilter(this);
    timerBoxes_->watchKeys(this);
    timerBoxes_->setFocusAfterLast(lstPlayList);
    picFavorites->watchKeys(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { RequestEnd(); });
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // Only the controls that hold the focus: a key a time box leaves travels on through its
    // parents, and the status strip under them must not run the command a second time.
    if (event->type() == QEvent::KeyPress && !ended_ && takesKeys(watched)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (Form_KeyDown(key))
            return true;  // handled here; the focused control never sees it
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == picStatus || watched == picButton || watched == picFolderViewStatus)) {
        Form_Click();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmMain::Form_Load() {
    // One player per application folder.
    // A lock path that is not a regular file (a FIFO, a device, a folder, any link) is never
    // handed to QLockFile, which would wait on it for ever or read it without end.
    const QString lockPath = AppFile(QStringLiteral(".zapt.lock"));
    bool locked = false;
    if (lockPathUsable(lockPath)) {
        lock_ = std::make_unique<QLockFile>(lockPath);
        lock_->setStaleLockTime(0);
        locked = lock_->tryLock(0);
    }
    if (!locked) {
        // Only a lock held by a live player means one runs; a lock that cannot be written (no
        // such folder, no permission, a full disk, not a file) is reported as what it is.
        const bool running = lock_ && lock_->error() == QLockFile::LockFailedError;
        lock_.reset();
        // The running player may still be starting: it takes the path as soon as it can.
        const QString startPath = StartPath::Absolute(startPath_, QDir::currentPath());
        if (running && !startPath.isEmpty() && HandOver && HandOver(startPath))
            return false;
        Dialogs().message(running
                              ? QStringLiteral("既に起動しています。")
                              : QStringLiteral("ロックファイルを作成できません。\n") + appFolder_,
                          QStringLiteral("ZAPT"));
        return false;
    }

    // The engine, bound to the media-control object, and the play sequence on it.
    Player = std::make_unique<clsZAPT_MMC>();
    Player->setMMC(MMC);
    makeSequence();
    connect(&Sequence(), &PlayerController::modesChanged, this,
            [this] { applyReplayGain(Options); });
    // On the bus from here on: a second start finds this player even while it starts.
    if (mediaControlsWanted_)
        StartMediaControls();

    // The start path: the shell has already removed any quotes. Made absolute, so what is
    // saved still works when the player is next started from another folder.
    const QString startPath = StartPath::Absolute(startPath_, QDir::currentPath());

    Units = ScreenUnits::Of(*this);
    NonClientWidth = 0;
    NonClientHeight = 0;

    // The labels, the reserve menu and the empty seek bar before any setting is read.
    SetLabelsTransparent();
    BuildReserveMenu();
    picStatus->setSeekPosition(0);

    // The program's sub-folders.
    QDir app(appFolder_);
    for (const QString& sub : {QStringLiteral("list"), QStringLiteral("color")})
        if (!FolderExists(AppFile(sub)))
            app.mkpath(sub);

    // Settings, when present.
    if (FileExists(AppFile(QStringLiteral("ZAopt.inf"))))
        Options.ReadOption(AppFile(QStringLiteral("ZAopt.inf")), QStringLiteral(","));

    // Tool tips, and the word lists the tag label and the lyric lookup use.
    SetToolTips();
    LastSearchMode = 2;
    ReadLinesToList(AppFile(QStringLiteral("ZAigw.txt")), IgnoreWordList, &Dialogs());
    ReadLinesToList(AppFile(QStringLiteral("ZAart.txt")), ArtistWordList, &Dialogs());
    if (EndRequested())
        return abandonStartup();

    // The clock and the saved timer times.
    tmrTimer_Timer();
    ShowTimerTimes();

    // The start folder.
    QString startFolder =
        Options.PrimaryCurrentPath() != 0 ? Options.EntryPath(0) : Options.LastCurrentFolder();
    if (!FolderExists(startFolder))
        startFolder = appFolder_;
    ShowFolder(startFolder, 1);
    if (EndRequested())
        return abandonStartup();

    // History and favorite lists.
    ReadLinesToList(AppFile(QStringLiteral("ZAhis.m3u")), HistoryList, &Dialogs());
    LoadFavoriteLists();
    ShowFavoriteLists();

    // The playlist: the start path, or the last playlist. A start path the player
    // cannot use is reported and the last playlist kept, so the end writes it back as it was.
    bool savedPlayList = startPath.isEmpty();
    if (!savedPlayList) {
        const StartPath::Kind kind = StartPath::Classify(startPath);
        if (kind == StartPath::Kind::Folder) {
            CollectFiles(PlayList, startPath, true);
        } else if (kind == StartPath::Kind::AudioFile) {
            FileCollector::AddFile(PlayList, startPath);
        } else if (kind == StartPath::Kind::PlaylistFile) {
            FileCollector::ReadPlaylistFile(startPath, PlayList, &Dialogs(),
                                            modZAUtil::IfMissing::Report);
        } else {
            Dialogs().message(StartPath::ProblemText(kind, startPath), QStringLiteral("ZAPT"));
            savedPlayList = true;
        }
        RemoveLineBreakNames(0);
    }
    if (savedPlayList)
        ReadLinesToList(AppFile(QStringLiteral("ZAlog.m3u")), PlayList, &Dialogs());
    LimitPlayList();
    RefreshPlayList();
    ShowPlayListCount(PlayList.Count());
    if (savedPlayList)
        SelectListRow(lstPlayList, Options.LastPlayIndex());
    if (EndRequested())
        return abandonStartup();

    // Time label, tag label.
    picStatus->setPlayTime(Options.DispTimeType() == 0 ? QStringLiteral("00:00")
                                                       : QStringLiteral("‐00:00"));
    InitTagFieldNames();
    TagFieldIndex = 0;
    picStatus->setTagTitle(TagFieldNames[0]);
    ShowTagInfoLabel();

    // The folder view already shows the current folder: ShowFolder above listed it and nothing
    // since has moved it, so it is not read a second time.

    // Size and position. A stored size larger than the screen's free area (the file may
    // hold anything up to 32767 pixels) is taken as that area, for both modes; the window is
    // then brought onto the screen.
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QSize area = screen->availableGeometry().size();
        auto fit = [](int16_t v, int limit) {
            return static_cast<int16_t>(std::min<int>(v, limit));
        };
        Options.setFormWidthNormal(fit(Options.FormWidthNormal(), area.width()));
        Options.setFormHeightNormal(fit(Options.FormHeightNormal(), area.height()));
        Options.setFormWidthMini(fit(Options.FormWidthMini(), area.width()));
        Options.setFormHeightMini(fit(Options.FormHeightMini(), area.height()));
    }
    SizingByCode = true;
    if (Options.FormStatus() == 1)
        SetOuterSize({Options.FormWidthNormal(), Options.FormHeightNormal()});
    else
        SetOuterSize({Options.FormWidthMini(), Options.FormHeightMini()});
    SizingByCode = false;
    move(Units.toPixels(QPoint(Options.PositionX(), Options.PositionY())));
    KeepWindowOnScreen(this);

    // The controls laid out for the mode, and the mode icons.
    LayoutMainWindow();
    ApplyDisplayOptions();

    DrawPlayNumber(Options.SongsToPlay());
    DrawRepeatMode(Options.Repeat());
    DrawTimerMode(static_cast<uint8_t>(Options.TimerMode()));

    // The lyric window, hidden, and the lyric index.
    LoadLyricWindow();
    LoadLyricList(Options.LyricFolder());

    // Shown only now, with everything in place.
    if (EndRequested())
        return abandonStartup();
    loaded_ = true;
    show();
    // Shown, the window may have learnt its frame: fit once more with it.
    KeepWindowOnScreen(this);
    LayoutMainWindow();
    repaint();
    tmrTimer->start();
    vbmp3_setSoftVolume(Options.SoftVolumeLeft(), Options.SoftVolumeRight());

    // What the start path or the start-up setting asks for.
    if (!startPath.isEmpty()) {
        if (!savedPlayList && PlayList.Count() > 0)
            PlaySelectedRow();
    } else {
        if ((Options.FirstAction() & 1) && !EndRequested())
            cmdGetFile_Click();
        if ((Options.FirstAction() & 2) && !EndRequested())
            cmdShuffle_Click();
        if ((Options.FirstAction() & 4) && !EndRequested()) {
            // Resume: the song heard at the last end, from where it was, if its row holds it.
            const int32_t row = Options.LastPlayIndex();
            const QString song =
                row >= 0 && row < PlayList.Count() ? PlayList.Value(row) : QString();
            const auto at = Options.ResumePosition();
            if (Options.Resume() && at.count() > 0 && !song.isEmpty() &&
                resumeCheck(song) == Options.ResumeFileCheck()) {
                const auto seek = connect(
                    &Sequence(), &PlayerController::songStarted, this,
                    [this, song, at](int32_t, const QString& started) {
                        if (started == song && at.count() < Player->getTotalSecond())
                            Sequence().Seek(static_cast<int32_t>(at.count()));
                    },
                    Qt::SingleShotConnection);
                SelectListRow(lstPlayList, row);
                PlaySelectedRow();
                if (Sequence().state() != PlayerController::State::Opening)
                    disconnect(seek);
            } else {
                cmdPlay_Click();
            }
        }
    }
    // Ending asked while a box of the last action was open: the window was shown, so the
    // state is saved as at any end; the caller then does not start the event loop.
    if (EndRequested()) {
        ZAPT_End();
        return false;
    }
    started_ = true;
    MediaControlsReady();
    return true;
}

bool frmMain::abandonStartup() {
    // Nothing has changed yet that the files do not hold already: nothing is written.
    ended_ = true;
    vbmp3_free();
    hide();
    lock_.reset();
    return false;
}

void frmMain::RequestEnd() {
    boxes_->DismissAll();
    // A box open now returns as if cancelled; the code that showed it carries on and reaches
    // the end (during start-up, Form_Load's next check).
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QDialog*>(w); box && box->isVisible() && box->isModal())
            box->reject();
    if (started_)
        ZAPT_End();
}

void frmMain::ZAPT_End() {
    if (ended_ || !loaded_)
        return;
    ended_ = true;
    SetTrayIcon(QStringLiteral("DELETE"));
    // The files first: releasing the sound system may wait on a server that no longer answers.
    SaveStateFiles();

    // Release the decoder, then stop what plays.
    vbmp3_stop();
    vbmp3_stopCallback();
    vbmp3_free();
    StopPlay();

    tmrTimer->stop();
    hide();
    lock_.reset();
    QCoreApplication::quit();
}

bool frmMain::SaveStateFiles() {
    // The lyric window's place and text-mode size.
    SaveLyricWindow();

    // The soft volume, to come back at the next start.
    int32_t left = 100;
    int32_t right = 100;
    vbmp3_getSoftVolume(&left, &right);
    Options.setSoftVolumeLeft(left);
    Options.setSoftVolumeRight(right);

    // Live state into the store.
    Options.setLastCurrentFolder(FolderViewPath);
    Options.setLastPlayIndex(static_cast<int16_t>(lstPlayList->listIndex()));
    // Resume: the song heard now, its row and how far in; none between songs.
    if (Options.Resume()) {
        const auto state = Sequence().state();
        const int32_t row = Sequence().PlayingIndex();
        const bool heard =
            state == PlayerController::State::Playing || state == PlayerController::State::Paused;
        const bool onRow =
            heard && row >= 0 && row < PlayList.Count() && PlayList.Value(row) == Player->getPath();
        Options.setResumePosition(std::chrono::seconds(onRow ? Player->playSecond() : 0));
        if (onRow) {
            Options.setLastPlayIndex(static_cast<int16_t>(row));
            Options.setResumeFileCheck(resumeCheck(PlayList.Value(row)));
        }
    }

    // Position: a minimised or maximised window is not where it will come back.
    if (isMinimized() || isMaximized()) {
        Options.setPositionX(1200);
        Options.setPositionY(1000);
    } else {
        const QPoint twips = Units.toTwips16(pos());
        Options.setPositionX(static_cast<int16_t>(twips.x()));
        Options.setPositionY(static_cast<int16_t>(twips.y()));
    }

    // The timer times as the boxes hold them.
    const PlayTimer::Boxes times = timerBoxes_->texts();
    Options.setStartHour(PlayTimer::StoredValue(PlayTimer::TimeBox::StartHour, times.startHour));
    Options.setStartMinute(
        PlayTimer::StoredValue(PlayTimer::TimeBox::StartMinute, times.startMinute));
    Options.setStopHour(PlayTimer::StoredValue(PlayTimer::TimeBox::StopHour, times.stopHour));
    Options.setStopMinute(PlayTimer::StoredValue(PlayTimer::TimeBox::StopMinute, times.stopMinute));

    QStringList failed;
    for (const auto& [name, list] : {std::pair{QStringLiteral("ZAhis.m3u"), &HistoryList},
                                     std::pair{QStringLiteral("ZAlog.m3u"), &PlayList}})
        if (!WriteListToFile(AppFile(name), *list, &Dialogs()))
            failed << name;
    if (!Options.WriteOption(AppFile(QStringLiteral("ZAopt.inf")), QStringLiteral(","))) {
        failed << QStringLiteral("ZAopt.inf");
        Dialogs().message(kWriteErrorText, QStringLiteral("ERROR"));
    }
    // An end by a signal or by the desktop shows no box: a session log still tells.
    if (!failed.isEmpty())
        qCWarning(lcState).noquote()
            << "could not save" << failed.join(QStringLiteral(", ")) << "in" << appFolder_;
    return failed.isEmpty();
}

void frmMain::SaveBeforeFirstRisk() {
    if (savedBeforeRisk_ || !loaded_ || ended_)
        return;
    savedBeforeRisk_ = true;
    RunUnattended([this] { SaveStateFiles(); });
}

bool frmMain::lockPathUsable(const QString& path) {
    struct stat st {};
    if (::lstat(modZAUtil::NativePath(path).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

bool frmMain::AnyDialogVisible() const {
    return (optionsWindow_ && optionsWindow_->isVisible()) ||
           (versionWindow_ && versionWindow_->isVisible()) ||
           (modalWindow_ && modalWindow_->isVisible());
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // Keys pressed while no control has the focus; a key the focused control saw and left
    // comes here too, and its filter has run the command already.
    if (!takesKeys(focusWidget()) && !ended_ && Form_KeyDown(event))
        return;
    QMainWindow::keyPressEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    ZAPT_End();
    event->accept();
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    Form_Click();
    QMainWindow::mousePressEvent(event);
}

void frmMain::Form_Click() {
    if (ActiveListName == QStringLiteral("lstFolderView"))
        lstFolderView->setFocus();
    else
        lstPlayList->setFocus();
}

void frmMain::SetLabelsTransparent() {
    picStatus->setLabelsTransparent();
    picFolderViewStatus->setLabelsTransparent();
}

// The controls that can hold the keyboard focus; the window's global keys are seen on them.
bool frmMain::takesKeys(const QObject* o) const {
    return o && (o == lstPlayList || picFavorites->isList(o) || o == lstFolderView ||
                 timerBoxes_->isBox(o));
}

void frmMain::picButton_Click(ButtonBar::Button button) {
    using B = ButtonBar::Button;
    switch (button) {
    case B::Previous:
        return cmdListIndexUp_Click();
    case B::Next:
        return cmdListIndexDown_Click();
    case B::Shuffle:
        return cmdShuffle_Click();
    case B::Up:
        return cmdUpItem_Click();
    case B::Down:
        return cmdDownItem_Click();
    case B::Clear:
        return cmdListClear_Click();
    case B::Volume:
        return cmdVolume_Click();
    case B::FormSize:
        return cmdChangeFormSize_Click();
    case B::SetDir:
        return cmdSetDir_Click();
    case B::GetFile:
        return cmdGetFile_Click();
    case B::AddFile:
        return cmdAddFile_Click();
    case B::SaveList:
        return cmdSaveList_Click();
    case B::GetList:
        return cmdGetList_Click();
    case B::AddList:
        return cmdAddList_Click();
    case B::Search:
        return SearchList();
    case B::Lyric:
        return cmdLyric_Click();
    case B::TagInfo:
        return cmdTagInfo_Click();
    case B::Option:
        return cmdOption_Click();
    case B::Help:
        return cmdHelp_Click();
    }
}

void frmMain::SetToolTips() {
    if (Options.ToolTipText() != 1)
        return;
    picButton->showToolTips();
}

void frmMain::cmdHelp_Click() {
    const QString exeHelp =
        QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html");
    const QString installedHelp =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zapt/help/index.html");
    const QString appHelp = AppFile(QStringLiteral("help/index.html"));
    const QString help = FileExists(exeHelp)         ? exeHelp
                         : FileExists(installedHelp) ? QDir::cleanPath(installedHelp)
                                                     : appHelp;
    if (!FileExists(help))  // a launcher would open nothing, or a page saying it is missing
        Dialogs().message(help + QStringLiteral("にアクセスできません。"), QStringLiteral("ZAPT"));
    else if (!OpenUrl(QUrl::fromLocalFile(help)))
        ShowNoOpenerMessage(QStringLiteral("ヘルプ"));
}

void frmMain::ShowNoOpenerMessage(const QString& what) {
    Dialogs().message(what + QStringLiteral("を開くプログラムが見つかりません。"),
                      QStringLiteral("ZAPT"));
}

void frmMain::ApplyDisplayOptions() {
    RefreshColor();
    TagText::SetUnmarkedText(Options.UnmarkedText());
    applyReplayGain(Options);
    for (int i = 0; i < Options.EntryPathNameCount() && i < 3; ++i) {
        picFolderViewStatus->setEntryFolder(i, Options.EntryPathName(static_cast<int16_t>(i)));
    }
}

namespace {
QColor toColor(int32_t value, const QPalette& system) {
    return SchemeColor::ToQColor(value, system);
}
}  // namespace

void frmMain::RefreshColor() {
    const QPalette sys = QApplication::palette();
    auto P = [&](ColorSlot slot) { return toColor(Options.PlayerColor(slot), sys); };
    const QColor fore = sys.color(QPalette::WindowText);
    PaintWidget(centralWidget(), P(ColorSlot::Body), fore);
    centralWidget()->setAutoFillBackground(true);  // the margins and the gap between columns
    picButton->setColors(P(ColorSlot::Body), fore, P(ColorSlot::Buttons),
                         sys.color(QPalette::ButtonText));
    PaintWidget(lstPlayList, P(ColorSlot::PlayListBack), P(ColorSlot::PlayListText));
    picStatus->setColors(P(ColorSlot::StatusBack), P(ColorSlot::StatusText),
                         P(ColorSlot::ClockText), P(ColorSlot::SeekBarBack),
                         P(ColorSlot::SeekBarText));
    // The mode icons are pictures painted in the status colours: drawn again in the new ones.
    DrawPlayNumber(Options.SongsToPlay());
    DrawRepeatMode(Options.Repeat());
    DrawTimerMode(static_cast<uint8_t>(Options.TimerMode()));
    timerBoxes_->setColors(P(ColorSlot::StatusBack), P(ColorSlot::StartTimeText),
                           P(ColorSlot::StopTimeText));
    picFavorites->setColors(P(ColorSlot::FavoritesBack), P(ColorSlot::FavoritesText));
    PaintWidget(lstFolderView, P(ColorSlot::FolderViewBack), P(ColorSlot::FolderViewText));
    picFolderViewStatus->setColors(P(ColorSlot::FolderStatusBack), P(ColorSlot::FolderStatusText));
    LyricWindow->setColor(P(ColorSlot::LyricBack), P(ColorSlot::LyricText));
}
