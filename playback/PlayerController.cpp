#include "PlayerController.h"

#include "core/modZAUtil.h"
#include "library/PlayHistory.h"
#include "library/PlaylistOps.h"
#include "library/ReserveQueue.h"
#include "library/TrackEntries.h"
#include "playback/TimeDisplay.h"

#include <QPointer>
#include <algorithm>
#include <utility>

using namespace std::chrono_literals;

namespace {
// Joining a song needs its first samples in the stream before the playing song's last ones are
// heard; the decision is made this long before the end, and made again on every tick so that
// whatever the user changes in the meantime still counts.
constexpr int32_t kJoinLeadSeconds = 4;
// With a song joined behind the blank time, the step after the blank comes this much before
// its first sample, so a different choice replaces it before it is heard.
constexpr std::chrono::milliseconds kDecideAhead{60};
}  // namespace

PlayerController::PlayerController(PlayerEngine& engine, PlayRows& rows, clsOption& options,
                                   Lists lists, PlayerClock& clock, OpenSong openSong,
                                   QObject* parent)
    : QObject(parent), engine_(engine), rows_(rows), options_(options), lists_(lists),
      openSong_(std::move(openSong)) {
    blankWait_ = clock.makeTimer(false, [this] {
        if (auto next = std::exchange(afterBlank_, nullptr))
            next();
    });
    tick_ = clock.makeTimer(true, [this] { tmrPlayTime_Timer(); });
    engine_.setEndHandler([this] { PlayNextSong(); });
}

PlayerController::~PlayerController() {
    engine_.setEndHandler(nullptr);
}

void PlayerController::tmrPlayTime_Timer() {
    elapsedSeconds_ += TimeDisplay::kTickSeconds;
    Q_EMIT positionChanged();
    PrepareGaplessJoin();
}

void PlayerController::setState(State state) {
    if (state_ == state)
        return;
    state_ = state;
    Q_EMIT stateChanged(state);
}

// The opener may hand a file over after this object is gone (the program ended meanwhile).
template <class Done> void PlayerController::openThen(bool join, const QString& path, Done done) {
    QPointer<PlayerController> self(this);
    openSong_(join, path, [self, done = std::move(done)](PreparedSong prepared) mutable {
        if (self)
            done(std::move(prepared));
    });
}

void PlayerController::PlayFile(const QString& path) {
    Q_EMIT playTimeReset();
    if (!modZAUtil::FileExists(TrackEntries::FilePath(path))) {  // a track: its sheet or image
        Q_EMIT cannotAccess(path);
        return;
    }
    blankWait_->stop();  // a song the user chose replaces one the sequence was waiting to play
    afterBlank_ = nullptr;
    const uint64_t serial = ++openSerial_;
    playingIndex_ = rows_.selectedRow();
    // The song the sequence chose may already be playing, joined behind the one that ended.
    if (engine_.adoptJoined(path)) {
        startedPlaying(path);
        return;
    }
    engine_.stop_();
    Q_EMIT opening();
    setState(State::Opening);
    openThen(false, path, [this, serial, path](PreparedSong prepared) {
        if (serial != openSerial_)
            return;  // a stop or another song came first
        if (!engine_.open_(std::move(prepared)) || !engine_.play()) {
            playFailed(path);
            return;
        }
        startedPlaying(path);
    });
}

void PlayerController::startedPlaying(const QString& path) {
    failedInARow_ = 0;
    elapsedSeconds_ = 0;
    tick_->start(kTick);
    setState(State::Playing);
    Q_EMIT songStarted(playingIndex_, path);
}

// Without the selection on the row, the end of the song would move the selection from "none"
// to this very row and play it a second time.
void PlayerController::PlaySelectedRow() {
    const int32_t row = GetPlayIndex();
    const int32_t count = rows_.entries().Count();
    if (count > 0 && row >= count) {  // the playlist shrank under the selection
        StopPlay();
        return;
    }
    if (row < rows_.rowCount())
        rows_.setSelectedRow(row);
    PlayFile(rows_.entries().Value(row));
}

// A file that exists but does not play counts as a song that ended at once: the sequence goes
// on by the modes, without a box per file and without a history entry. It stops when the modes
// would only try the same file again, and once every row of the playlist has failed one after
// another.
void PlayerController::playFailed(const QString& path) {
    engine_.stop_();
    ++failedInARow_;
    if (failedInARow_ >= std::max<int32_t>(1, rows_.entries().Count())) {
        StopPlay();
        return;
    }
    // Through the blank-time timer, so a playlist of broken files never recurses through
    // PlayFile and a stop or a new song cancels the step.
    waitThen(0ms, [this, path] { continueAfterBlank(path, true); });
}

void PlayerController::PlayNextSong() {
    const QString ended = engine_.getPath();
    PlayHistory::Record(lists_.history, ended);
    Q_EMIT songEnded(ended);
    continueAfterBlank(ended);
}

void PlayerController::resetPlayTime() {
    tick_->stop();
    elapsedSeconds_ = 0;
    Q_EMIT playTimeReset();
}

std::chrono::milliseconds PlayerController::blankTime() const {
    return options_.BlankTime();
}

// The end-of-song steps after the history: stop after the song, the reserve queue, then the
// playlist by the modes. `ended` is the song that has just ended, or the file that has just
// failed when `failed` is set. The user may act during the blank time, so the step after it
// reads the lists as they are then.
void PlayerController::continueAfterBlank(const QString& ended, bool failed) {
    resetPlayTime();
    if (options_.TimerStopMode() == 0 && stopAfterSong_) {
        StopPlay();
        stopAfterSong_ = false;
        Q_EMIT stoppedAfterSong();
        return;
    }
    if (lists_.reserve.Count() > 0) {
        waitThen(blankTime(), [this, ended, failed] {
            if (auto next = ReserveQueue::TakeFirst(lists_.reserve)) {
                Q_EMIT reserveTaken();
                PlayFile(*next);
                return;
            }
            // The reserve list was emptied during the blank time: the playlist goes on.
            nextFromPlayList(ended, failed, true);
        });
        return;
    }
    if (rows_.entries().Count() == 0) {
        setState(State::Stopped);
        return;
    }
    nextFromPlayList(ended, failed, false);
}

NextSongRule::Input PlayerController::ruleInput(const QString& finished) const {
    NextSongRule::Input in;
    in.selectedRow = rows_.selectedRow();
    in.playList = &rows_.entries();
    in.rowCount = rows_.rowCount();
    in.finishedPath = finished;
    in.playNumber = options_.SongsToPlay();
    in.repeatMode = options_.Repeat();
    return in;
}

void PlayerController::moveSelection(int32_t step) {
    if (auto row = PlaylistOps::MoveSelection(rows_.selectedRow(), step, rows_.rowCount()))
        rows_.setSelectedRow(*row);
}

// The playlist's turn: the modes move the selection or stop; after the blank time (unless it
// has already passed) the selected row plays.
void PlayerController::nextFromPlayList(const QString& ended, bool failed, bool waited) {
    const clsArrayList& list = rows_.entries();
    if (list.Count() == 0) {
        StopPlay();
        return;
    }
    const NextSongRule::Decision d = nextSongRule_.Decide(ruleInput(ended));
    if (d.advanced)
        moveSelection(+1);
    if (d.stop || (failed && !d.randomRow && list.Value(GetPlayIndex()) == ended)) {
        StopPlay();
        return;
    }
    const bool random = d.randomRow.has_value();
    auto playNext = [this, random] {
        const int32_t count = rows_.entries().Count();
        if (count == 0) {  // cleared during the blank time
            StopPlay();
            return;
        }
        // Drawn now, over the playlist as it is after the blank time.
        if (random)
            rows_.showRow(nextSongRule_.DrawRow(count));
        PlaySelectedRow();
    };
    if (waited) {
        playNext();
        return;
    }
    waitThen(blankTime(), std::move(playNext));
}

// The song the end of the playing one will start, worked out the way the end steps work it
// out (stop after the song, the reserve list, the modes, the random draw) without moving the
// selection or the generator: empty when the sequence would stop or could not say yet.
std::optional<QString> PlayerController::PredictNextSong() {
    if (blankWait_->isActive())
        return std::nullopt;
    if (options_.TimerStopMode() == 0 && stopAfterSong_)
        return std::nullopt;
    if (lists_.reserve.Count() > 0)
        return lists_.reserve.Value(0);
    const clsArrayList& list = rows_.entries();
    if (list.Count() == 0)
        return std::nullopt;
    NextSongRule rule = nextSongRule_;  // the same draws as the real decision will make
    const NextSongRule::Decision d = rule.Decide(ruleInput(engine_.getPath()));
    if (d.stop)
        return std::nullopt;
    int32_t row = d.selectedRow;
    if (d.randomRow) {
        const int32_t drawn = rule.DrawRow(list.Count());
        if (drawn < rows_.rowCount())
            row = drawn;
    }
    row = std::max(row, 0);
    if (row >= list.Count())
        return std::nullopt;
    return list.Value(row);
}

// The next song joins the playing one in the same stream, after exactly the blank time, so an
// album cut from one recording plays without a gap and a pause between songs is as long as
// set. What the end steps then decide still rules: a different song replaces the joined one
// (PlayFile).
void PlayerController::PrepareGaplessJoin() {
    if (engine_.getState() != 1)
        return;
    const int32_t total = engine_.getTotalSecond();
    const int32_t left = total - engine_.playSecond();
    if (total <= 0 || left > kJoinLeadSeconds)
        return;
    const std::optional<QString> next = PredictNextSong();
    if (!next || !modZAUtil::FileExists(TrackEntries::FilePath(*next))) {
        engine_.dropQueued();
        return;
    }
    if (*next == engine_.queuedPath() || *next == joinOpening_)
        return;
    engine_.dropQueued();  // no longer the song to come
    joinOpening_ = *next;
    const uint64_t serial = openSerial_;
    openThen(true, *next, [this, serial](PreparedSong prepared) {
        const QString path = std::exchange(joinOpening_, QString());
        // Still the song to come, behind the same playing song?
        if (serial == openSerial_ && PredictNextSong() == path)
            engine_.queueNext(std::move(prepared), options_.BlankTime());
    });
}

// One pending step at a time: a stop or a new song cancels it with the wait.
void PlayerController::waitThen(std::chrono::milliseconds wait, std::function<void()> next) {
    if (!engine_.queuedPath().isEmpty())
        wait -= kDecideAhead;
    afterBlank_ = std::move(next);
    blankWait_->start(std::max(wait, 0ms));
    setState(State::BetweenSongs);
}

void PlayerController::StopPlay() {
    blankWait_->stop();
    afterBlank_ = nullptr;
    ++openSerial_;
    engine_.stop_();
    tick_->stop();
    elapsedSeconds_ = 0;
    playingIndex_ = -1;
    failedInARow_ = 0;
    setState(State::Stopped);
    Q_EMIT stopped();
}

void PlayerController::TogglePause() {
    // Between two songs nothing plays: there is nothing to pause, and the selection already
    // shows the song that comes next.
    if (blankWait_->isActive()) {
        // With no blank time a joined song is already heard: its step is due now, and the
        // pause is for it.
        if (options_.BlankTime() > 0ms || engine_.queuedPath().isEmpty())
            return;
        blankWait_->stop();
        if (auto next = std::exchange(afterBlank_, nullptr))
            next();
    }
    switch (engine_.getState()) {
    case 1:
        engine_.pause();
        tick_->stop();
        setState(State::Paused);
        break;
    case 2:
        engine_.restart();
        tick_->start(kTick);
        setState(State::Playing);
        break;
    default:
        break;
    }
    if (playingIndex_ < rows_.entries().Count())
        rows_.setSelectedRow(playingIndex_);
}

void PlayerController::Play() {
    const int32_t count = rows_.entries().Count();
    if (count == 0)
        return;
    if (options_.Repeat() == RepeatMode::Random)
        rows_.showRow(nextSongRule_.DrawRow(count));
    PlaySelectedRow();
}

void PlayerController::Step(int32_t direction) {
    if (rows_.entries().Count() == 0)
        return;
    moveSelection(direction);
    PlaySelectedRow();
}

bool PlayerController::SeekTo(std::chrono::milliseconds position) {
    if (!engine_.seekTo(position))
        return false;
    const auto second = int32_t(std::chrono::floor<std::chrono::seconds>(position).count());
    elapsedSeconds_ = second;
    Q_EMIT seeked(second);
    return true;
}

void PlayerController::TogglePlayNumber() {
    SetModes(options_.SongsToPlay() == PlayCount::AllSongs ? PlayCount::OneSong
                                                           : PlayCount::AllSongs,
             options_.Repeat());
}

void PlayerController::CycleRepeatMode() {
    const RepeatMode mode = options_.Repeat();
    SetModes(options_.SongsToPlay(), mode == RepeatMode::On    ? RepeatMode::Off
                                     : mode == RepeatMode::Off ? RepeatMode::Random
                                                               : RepeatMode::On);
}

void PlayerController::SetModes(PlayCount playNumber, RepeatMode repeatMode) {
    options_.setSongsToPlay(playNumber);
    options_.setRepeat(repeatMode);
    Q_EMIT modesChanged();
}

std::chrono::milliseconds PlayerController::heardPosition() const {
    if (state_ != State::Playing && state_ != State::Paused)
        return std::chrono::milliseconds{0};
    return engine_.heardPosition();
}

int32_t PlayerController::GetPlayIndex() const {
    const int32_t row = rows_.selectedRow();
    return row >= 0 ? row : 0;
}
