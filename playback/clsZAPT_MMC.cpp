#include "clsZAPT_MMC.h"

#include "core/FileAccess.h"
#include "library/TrackEntries.h"
#include "playback/ControlRoute.h"
#include "playback/CueTrack.h"
#include "playback/LibraryRoute.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/mci/MciControl.h"
#include "playback/mci/RouteModules.h"
#include "playback/output/RangeSource.h"
#include "tags/TagLibReader.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {
// libmpg123 gives the right samples from the fifth frame after a seek on (four measured;
// six, of the longest frames, kept).
constexpr int64_t kMp3WarmUpFrames = 6 * 1152;

QStringList containerTags(const QString& path) {
    return RouteModules::tags(RouteModules::Route::Ffmpeg, path);
}

PreparedSong PrepareFile(const QString& filePath) {
    PreparedSong prepared;
    prepared.path = filePath;
    if (LibraryRoute::claimsName(filePath)) {
        prepared.source = PcmSourceFactory::open(filePath.toUtf8().toStdString());
        prepared.library = prepared.source != nullptr;
    }
    if (!prepared.source && filePath.right(3) != u"cda")
        prepared.source = ::MciControl::OpenSource(filePath);
    return prepared;
}

// A track of a disc image: the image opened as it would be on its own, on its route, and only
// its span played. The entry stays the song's path. A track that is gone fails as a missing
// file does.
PreparedSong PrepareTrack(const QString& entry, const CueSheet::TrackReference& reference) {
    PreparedSong prepared;
    prepared.path = entry;
    const std::optional<CueSheet::ListedTrack> track = TrackEntries::Find(reference);
    if (!track)
        return prepared;
    PreparedSong image = PrepareFile(track->path);
    if (!image.source)
        return prepared;
    const int rate = image.source->format().sampleRate;
    std::optional<int64_t> end;
    if (track->end)
        end = CueTrack::Frames(*track->end, rate);
    // An MP3 decoder needs the frames before the track's first to give it whole.
    const int64_t warmUp =
        ContentSniffer::routeOfFile(modZAUtil::NativePath(track->path).toStdString()) ==
                DecoderRoute::Mpeg
            ? kMp3WarmUpFrames
            : 0;
    prepared.source = RangeSource::open(std::move(image.source),
                                        CueTrack::Frames(track->start, rate), end, warmUp);
    prepared.library = image.library && prepared.source;
    return prepared;
}
}  // namespace

clsZAPT_MMC::clsZAPT_MMC()
    : library_(std::make_unique<LibraryRoute>()), control_(std::make_unique<ControlRoute>()),
      route_(control_.get()) {
    // The tags of the formats only FFmpeg reads come through the module that plays them.
    TagLibReader::SetContainerReader(&containerTags);
    library_->setEndReport([this] { ends_.report(); });
    control_->setEndReport([this] { ends_.report(); });
}

clsZAPT_MMC::~clsZAPT_MMC() = default;

void clsZAPT_MMC::setEndHandler(std::function<void()> handler) {
    ends_.setHandler(std::move(handler));
}

PlaybackRoute& clsZAPT_MMC::routeFor(bool library) {
    if (library)
        return *library_;
    return *control_;
}

QString clsZAPT_MMC::getPath() const {
    return Opened ? CurrentPath : QString();
}

// The media-control object knows the length of its files too, so the time display and the seek
// bar work for every format.
int32_t clsZAPT_MMC::getTotalSecond() const {
    return Opened ? static_cast<int32_t>(route_->length().count()) : 0;
}

int32_t clsZAPT_MMC::playSecond() {
    return static_cast<int32_t>(route_->position().count());
}

std::chrono::milliseconds clsZAPT_MMC::heardPosition() {
    return Opened ? route_->heardPosition() : std::chrono::milliseconds{0};
}

int32_t clsZAPT_MMC::bitrate() const {
    return route_->bitrateKbps();
}

void clsZAPT_MMC::setMMC(::MciControl* age_mmc) {
    control_->setControl(age_mmc);
}

clsZAPT_MMC::Prepared clsZAPT_MMC::Prepare(const QString& filePath) {
    if (const std::optional<CueSheet::TrackReference> reference = TrackEntries::Reference(filePath))
        return PrepareTrack(filePath, *reference);
    return PrepareFile(filePath);
}

// The file the library was to play but cannot (an M4A, Ogg or WebM named .mp3, a WAV that
// libsndfile refuses) goes to the control, which plays it by what it is.
bool clsZAPT_MMC::open_(Prepared prepared) {
    QueuedPath.clear();
    ends_.stopAndForget([this] { return route_->stop(); });
    CurrentPath = prepared.path;
    FileExtension = CurrentPath.right(3);
    route_ = &routeFor(prepared.library);
    Opened = route_->open(CurrentPath, std::move(prepared.source));
    if (Opened)
        TotalSec = static_cast<int32_t>(route_->length().count());
    return Opened;
}

bool clsZAPT_MMC::play() {
    QueuedPath.clear();
    return route_->play();
}

bool clsZAPT_MMC::stop_() {
    Opened = false;
    QueuedPath.clear();
    return ends_.stopAndForget([this] { return route_->stop(); });
}

bool clsZAPT_MMC::seekTo(milliseconds position) {
    QueuedPath.clear();  // a seek forgets a joined song
    return route_->seek(position);
}

int32_t clsZAPT_MMC::getState() {
    switch (route_->state()) {
    case PlaybackRoute::State::Playing:
        return 1;
    case PlaybackRoute::State::Paused:
        return 2;
    case PlaybackRoute::State::Stopped:
        break;
    }
    return 0;
}

bool clsZAPT_MMC::pause() {
    QueuedPath.clear();  // so does a pause
    return route_->pause();
}

bool clsZAPT_MMC::restart() {
    return route_->resume();
}

bool clsZAPT_MMC::queueNext(const QString& filePath, milliseconds blank) {
    if (QueuedPath == filePath && QueuedBlank == blank && !filePath.isEmpty())
        return true;
    return queueNext(Prepare(filePath), blank);
}

// A join stays on one route: the library's file after the library's, the control's after the
// control's.
bool clsZAPT_MMC::queueNext(Prepared prepared, milliseconds blank) {
    if (QueuedPath == prepared.path && QueuedBlank == blank && !QueuedPath.isEmpty())
        return true;
    dropQueued();
    if (!Opened || !prepared.source || &routeFor(prepared.library) != route_ ||
        !route_->queueNext(prepared.path, std::move(prepared.source), blank))
        return false;
    QueuedPath = prepared.path;
    QueuedBlank = blank;
    return true;
}

void clsZAPT_MMC::dropQueued() {
    if (QueuedPath.isEmpty())
        return;
    route_->dropQueued();
    QueuedPath.clear();
}

// Not yet heard, the song stays joined and the caller opens the file as usual.
bool clsZAPT_MMC::adoptJoined(const QString& filePath) {
    if (QueuedPath.isEmpty() || QueuedPath != filePath || !route_->takeJoined(filePath))
        return false;
    ends_.forget();
    QueuedPath.clear();
    CurrentPath = filePath;
    FileExtension = filePath.right(3);
    TotalSec = static_cast<int32_t>(route_->length().count());
    Opened = true;
    return true;
}
