// Play sequencing: playing a file, what plays when a song ends, stop and pause, the play
// commands and the two mode buttons.
#include "gui/frmMain.h"
#include "library/PlayHistory.h"
#include "library/ReserveQueue.h"
#include "playback/decoder/vbmp3.h"
#include "playback/mci/MciControl.h"
#include "settings/SchemeColor.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QToolButton>
#include <utility>

namespace {
QString resetTimeText(const clsOption& o) {
    return o.DispTimeType() == 0 ? QStringLiteral("00:00") : QStringLiteral("‐00:00");
}
}  // namespace

void frmMain::wirePlayback() {
    opener_ = new FileOpener(this);
    blankWait_ = new QTimer(this);
    blankWait_->setSingleShot(true);
    // The blank time is heard, so it is kept to the millisecond.
    blankWait_->setTimerType(Qt::PreciseTimer);
    connect(blankWait_, &QTimer::timeout, this, [this] {
        auto next = std::move(afterBlank_);
        afterBlank_ = nullptr;
        if (next)
            next();
    });
    connect(tmrPlaydone, &QTimer::timeout, this, &frmMain::tmrPlaydone_Timer);
    connect(cmdPlay, &QToolButton::clicked, this, &frmMain::cmdPlay_Click);
    connect(cmdPause, &QToolButton::clicked, this, &frmMain::cmdPause_Click);
    connect(cmdStop, &QToolButton::clicked, this, &frmMain::cmdStop_Click);
    connect(cmdListIndexUp, &QToolButton::clicked, this, &frmMain::cmdListIndexUp_Click);
    connect(cmdListIndexDown, &QToolButton::clicked, this, &frmMain::cmdListIndexDown_Click);
    connect(mnuPlay, &QAction::triggered, this, &frmMain::mnuPlay_Click);
    connect(mnuPause, &QAction::triggered, this, &frmMain::cmdPause_Click);
    connect(mnuStop, &QAction::triggered, this, &frmMain::StopPlay);
    connect(lstPlayList, &ListBox::rowDoubleClicked, this, &frmMain::PlaySelectedRow);
    connect(picPlayNumber, &ClickLabel::mouseDown, this, &frmMain::picPlayNumber_Click);
    connect(picRepeatMode, &ClickLabel::mouseDown, this, &frmMain::picRepeatMode_Click);
}

void frmMain::PlayFile(const QString& path) {
    lblPlayTime->setText(resetTimeText(Options));
    if (!modZAUtil::FileExists(path)) {
        CenterNextWindow(frameGeometry().width(), 67);
        Dialogs().message(path + QStringLiteral("にアクセスできません。"), QStringLiteral("ZAPT"));
        return;
    }
    blankWait_->stop();  // a song the user chose replaces one the sequence was waiting to play
    afterBlank_ = nullptr;
    tmrPlaydone->stop();
    const uint64_t serial = ++openSerial_;
    PlayingIndex = lstPlayList->listIndex();
    // The song the sequence chose may already be playing, joined behind the one that ended.
    if (Player->adoptJoined(path)) {
        songStarted(path);
        return;
    }
    Player->stop_();
    SaveBeforeFirstRisk();
    opener_->open(FileOpener::Kind::Play, path,
                  [this, serial, path](clsZAPT_MMC::Prepared prepared) {
                      if (serial != openSerial_ || !Player)
                          return;  // a stop, another song or the end of the program came first
                      if (!Player->open_(std::move(prepared)) || !Player->play()) {
                          playFailed(path);
                          return;
                      }
                      songStarted(path);
                  });
}

void frmMain::songStarted(const QString& path) {
    failedInARow_ = 0;
    if (Options.DispLyricFlg() != 0)
        ShowLyrics(path);
    PlayingTagInfo.GetTagInfo(path);
    ShowTagInfoLabel();
    ElapsedSeconds = 0;
    tmrPlayTime->start();
    if (Options.AutoSmallWindow() != 0 && !isMinimized() && Options.FormStatus() == 1 &&
        !AnyDialogVisible())
        cmdChangeFormSize_Click();
    RestoreListFocus();
    NotifySongStarted();
}

// Without the selection on the row, the end of the song would move the selection from "none"
// to this very row and play it a second time.
void frmMain::PlaySelectedRow() {
    const int32_t row = GetPlayIndex();
    if (row < lstPlayList->count())
        lstPlayList->setListIndex(row);
    PlayFile(PlayList.Value(row));
}

// A file that exists but does not play counts as a song that ended at once: the sequence goes
// on by the modes, without a box per file and without a history entry. It stops when the modes
// would only try the same file again, and once every row of the playlist has failed one after
// another.
void frmMain::playFailed(const QString& path) {
    Player->stop_();
    ++failedInARow_;
    if (failedInARow_ >= std::max<int32_t>(1, PlayList.Count())) {
        StopPlay();
        return;
    }
    // Through the blank-time timer, so a playlist of broken files never recurses through
    // PlayFile and a stop or a new song cancels the step.
    waitThen(0, [this, path] { continueAfterBlank(path, true); });
}

void frmMain::tmrPlaydone_Timer() {
    tmrPlaydone->stop();
    PlayNextSong();
}

void frmMain::PlayNextSong() {
    ShowTagInfoLabel();
    const QString ended = Player->getPath();
    PlayHistory::Record(HistoryList, ended);
    continueAfterBlank(ended);
}

// The end-of-song steps after the history: display reset, stop after the song, the reserve
// queue, then the playlist by the modes. `ended` is the song that has just ended, or the file
// that has just failed when `failed` is set. The user may act during the blank time, so the
// step after it reads the lists as they are then.
void frmMain::continueAfterBlank(const QString& ended, bool failed) {
    tmrPlayTime->stop();
    ElapsedSeconds = 0;
    lblPlayTime->setText(resetTimeText(Options));
    shpSeekPosition->resize(0, shpSeekPosition->height());

    if (Options.TimerStopMode() == 0 && StopAfterSong != 0) {
        StopPlay();
        lstPlayList->setFocus();
        StopAfterSong = 0;
        return;
    }

    if (ReserveList.Count() > 0) {
        waitThen(Options.BlankSec(), [this, ended, failed] {
            if (auto next = ReserveQueue::TakeFirst(ReserveList)) {
                BuildReserveMenu();
                PlayFile(*next);
                return;
            }
            // The reserve list was emptied during the blank time: the playlist goes on.
            nextFromPlayList(ended, failed, true);
        });
        return;
    }
    if (PlayList.Count() == 0)
        return;
    nextFromPlayList(ended, failed, false);
}

// The playlist's turn: the modes move the selection or stop; after the blank time (unless it
// has already passed) the selected row plays.
void frmMain::nextFromPlayList(const QString& ended, bool failed, bool waited) {
    if (PlayList.Count() == 0) {
        StopPlay();
        return;
    }
    NextSongRule::Input in;
    in.selectedRow = lstPlayList->listIndex();
    in.playList = &PlayList;
    in.rowCount = lstPlayList->count();
    in.finishedPath = ended;
    in.playNumber = Options.PlayNumber();
    in.repeatMode = Options.RepeatMode();
    const NextSongRule::Decision d = nextSongRule_.Decide(in);
    if (d.advanced)
        MovePlayListSelection(+1);
    if (d.stop || (failed && !d.randomRow && PlayList.Value(GetPlayIndex()) == ended)) {
        StopPlay();
        return;
    }
    const bool random = d.randomRow.has_value();
    auto playNext = [this, random] {
        if (PlayList.Count() == 0) {  // cleared during the blank time
            StopPlay();
            return;
        }
        // Drawn now, over the playlist as it is after the blank time.
        if (random)
            SelectListRow(lstPlayList, nextSongRule_.DrawRow(PlayList.Count()));
        PlaySelectedRow();
    };
    if (waited) {
        playNext();
        return;
    }
    waitThen(Options.BlankSec(), std::move(playNext));
}

namespace {
// Joining a song needs its first samples in the stream before the playing song's last ones are
// heard; the decision is made this long before the end, and made again on every tick so that
// whatever the user changes in the meantime still counts.
constexpr int32_t kJoinLeadSeconds = 4;
}  // namespace

// The song the end of the playing one will start, worked out the way the end steps work it
// out (stop after the song, the reserve list, the modes, the random draw) without moving the
// selection or the generator: empty when the sequence would stop or could not say yet.
std::optional<QString> frmMain::PredictNextSong() {
    if (blankWait_->isActive())
        return std::nullopt;
    if (Options.TimerStopMode() == 0 && StopAfterSong != 0)
        return std::nullopt;
    if (ReserveList.Count() > 0)
        return ReserveList.Value(0);
    if (PlayList.Count() == 0)
        return std::nullopt;
    NextSongRule::Input in;
    in.selectedRow = lstPlayList->listIndex();
    in.playList = &PlayList;
    in.rowCount = lstPlayList->count();
    in.finishedPath = Player->getPath();
    in.playNumber = Options.PlayNumber();
    in.repeatMode = Options.RepeatMode();
    NextSongRule rule = nextSongRule_;  // the same draws as the real decision will make
    const NextSongRule::Decision d = rule.Decide(in);
    if (d.stop)
        return std::nullopt;
    int32_t row = d.selectedRow;
    if (d.randomRow) {
        const int32_t drawn = rule.DrawRow(PlayList.Count());
        if (drawn < lstPlayList->count())
            row = drawn;
    }
    row = std::max(row, 0);
    if (row >= PlayList.Count())
        return std::nullopt;
    return PlayList.Value(row);
}

// The next song joins the playing one in the same stream, after exactly the blank time, so an
// album cut from one recording plays without a gap and a pause between songs is as long as
// set. What the end steps then decide still rules: a different song replaces the joined one
// (PlayFile).
void frmMain::PrepareGaplessJoin() {
    if (!Player || Player->getState() != 1)
        return;
    const int32_t total = Player->getTotalSecond();
    const int32_t left = total - Player->playSecond();
    if (total <= 0 || left > kJoinLeadSeconds)
        return;
    const std::optional<QString> next = PredictNextSong();
    if (!next || !modZAUtil::FileExists(*next)) {
        Player->dropQueued();
        return;
    }
    if (*next == Player->queuedPath() || *next == joinOpening_)
        return;
    Player->dropQueued();  // no longer the song to come
    joinOpening_ = *next;
    const uint64_t serial = openSerial_;
    opener_->open(FileOpener::Kind::Join, *next, [this, serial](clsZAPT_MMC::Prepared prepared) {
        const QString path = std::exchange(joinOpening_, QString());
        // Still the song to come, behind the same playing song?
        if (serial == openSerial_ && Player && PredictNextSong() == path)
            Player->queueNext(std::move(prepared), Options.BlankSec());
    });
}

// One pending step at a time: a stop or a new song cancels it with the wait. When the next song
// has joined behind the blank time in the stream, the step comes a little before its first
// sample, so a different choice replaces it before it is heard.
void frmMain::waitThen(int milliseconds, std::function<void()> next) {
    constexpr int kDecideAheadMillis = 60;
    if (Player && !Player->queuedPath().isEmpty())
        milliseconds -= kDecideAheadMillis;
    afterBlank_ = std::move(next);
    blankWait_->start(std::max(0, milliseconds));
}

void frmMain::StopPlay() {
    blankWait_->stop();
    afterBlank_ = nullptr;
    ++openSerial_;
    if (Player)
        Player->stop_();
    tmrPlaydone->stop();
    if (LyricWindow && !AnyDialogVisible())
        LyricWindow->hide();
    PlayingTagInfo.Clear();
    ShowTagInfoLabel();
    tmrPlayTime->stop();
    ElapsedSeconds = 0;
    ResetPlayTime();
    PlayingIndex = -1;
    failedInARow_ = 0;
    NotifyPlayState();
}

void frmMain::TogglePause() {
    // Between two songs nothing plays: there is nothing to pause, and the selection already
    // shows the song that comes next.
    if (blankWait_->isActive()) {
        // With no blank time a joined song is already heard: its step is due now, and the
        // pause is for it.
        if (Options.BlankSec() > 0 || Player->queuedPath().isEmpty())
            return;
        blankWait_->stop();
        if (auto next = std::exchange(afterBlank_, nullptr))
            next();
    }
    switch (Player->getState()) {
    case 1:
        Player->pause();
        tmrPlayTime->stop();
        break;
    case 2:
        Player->restart();
        tmrPlayTime->start();
        break;
    default:
        break;
    }
    if (PlayingIndex < PlayList.Count())
        lstPlayList->setListIndex(PlayingIndex);
    NotifyPlayState();
}

void frmMain::RestoreListFocus() {
    if (!isActiveWindow() || !isVisible() || isMinimized() || AnyDialogVisible())
        return;
    if (ActiveListName.compare(QStringLiteral("lstFolderView"), Qt::CaseInsensitive) == 0 &&
        Options.FormStatus() != 0)
        lstFolderView->setFocus();
    else
        lstPlayList->setFocus();
}

void frmMain::cmdPlay_Click() {
    if (PlayList.Count() == 0)
        return;
    if (Options.RepeatMode() == 2)
        SelectListRow(lstPlayList, nextSongRule_.DrawRow(PlayList.Count()));
    PlaySelectedRow();
}

void frmMain::cmdPause_Click() {
    TogglePause();
    lstPlayList->setFocus();
}

void frmMain::cmdStop_Click() {
    StopPlay();
    lstPlayList->setFocus();
}

void frmMain::cmdListIndexUp_Click() {
    if (PlayList.Count() == 0)
        return;
    MovePlayListSelection(-1);
    PlaySelectedRow();
}

void frmMain::cmdListIndexDown_Click() {
    if (PlayList.Count() == 0)
        return;
    MovePlayListSelection(+1);
    PlaySelectedRow();
}

void frmMain::mnuPlay_Click() {
    if (ActiveListName.compare(QStringLiteral("lstPlayList"), Qt::CaseInsensitive) == 0) {
        cmdPlay_Click();
        return;
    }
    const int row = lstFolderView->listIndex();
    const int index = row - (FolderViewFolders.Count() + 1);
    if (index >= 0 && index < FolderViewFiles.Count())
        PlayFile(FolderViewFiles.Value(index));
}

void frmMain::picPlayNumber_Click() {
    Options.setPlayNumber(static_cast<int16_t>(1 - Options.PlayNumber()));
    DrawPlayNumber(static_cast<uint8_t>(Options.PlayNumber()));
}

void frmMain::picRepeatMode_Click() {
    const int16_t mode = Options.RepeatMode();
    Options.setRepeatMode(mode == 0 ? 1 : mode == 1 ? 2 : 0);
    DrawRepeatMode(static_cast<uint8_t>(Options.RepeatMode()));
}

// The icons show their mode only as a picture: a screen reader reads it as the description.
void frmMain::DrawPlayNumber(uint8_t mode) {
    picPlayNumber->setAccessibleDescription(mode == 1 ? QStringLiteral("全曲")
                                                      : QStringLiteral("1曲"));
    PaintMaskedIcon(picPlayNumber, mode == 1 ? QStringLiteral(":/icons/playnumber_all.png")
                                             : QStringLiteral(":/icons/playnumber_single.png"));
}

void frmMain::DrawRepeatMode(uint8_t mode) {
    picRepeatMode->setAccessibleDescription(mode == 0   ? QStringLiteral("オン")
                                            : mode == 1 ? QStringLiteral("オフ")
                                                        : QStringLiteral("ランダム"));
    PaintMaskedIcon(picRepeatMode, mode == 0   ? QStringLiteral(":/icons/repeat_on.png")
                                   : mode == 1 ? QStringLiteral(":/icons/repeat_off.png")
                                               : QStringLiteral(":/icons/repeat_random.png"));
}

// The mode pictures are monochrome masks (glyph black on white); the glyph is drawn in the
// status text colour on the status background, as the three raster passes always did.
void frmMain::PaintMaskedIcon(QLabel* target, const QString& maskResource) {
    const QImage mask(maskResource);
    QPixmap out(target->size());
    const QPalette system = QApplication::palette();
    out.fill(SchemeColor::ToQColor(Options.PlayerColor(5), system));
    if (!mask.isNull()) {
        const QBitmap glyph = QBitmap::fromImage(
            mask.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), Qt::ThresholdDither);
        QPixmap fore(mask.size());
        fore.fill(SchemeColor::ToQColor(Options.PlayerColor(6), system));
        fore.setMask(glyph);
        QPainter p(&out);
        p.drawPixmap(0, 0, fore);
    }
    target->setPixmap(out);
}

int32_t frmMain::GetPlayIndex() const {
    const int row = lstPlayList->listIndex();
    return row >= 0 ? row : 0;
}

void frmMain::SelectListRow(ListBox* box, int32_t row) {
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

int32_t frmMain::SeekTotalSeconds() {
    return Player ? Player->getTotalSecond() : 0;
}
