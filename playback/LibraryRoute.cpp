#include "LibraryRoute.h"

#include "playback/output/AudioOutput.h"

#include <cstdlib>

namespace {
constexpr int32_t kFileEnded = 4;
}

bool LibraryRoute::claimsName(const QString& path) {
    const QString ending = path.right(3);
    return ending == u"mp3" || ending == u"wav";
}

LibraryRoute::LibraryRoute() {
    vbmp3_init();
}

// Returns once no end report is running nor will come, so the engine may go away.
LibraryRoute::~LibraryRoute() {
    if (report_)
        vbmp3_stopCallback();
}

void LibraryRoute::libraryEvent(int32_t status, intptr_t user) {
    if (status == kFileEnded)
        reinterpret_cast<LibraryRoute*>(user)->report_();
}

void LibraryRoute::setEndReport(std::function<void()> report) {
    report_ = std::move(report);
    if (report_)
        vbmp3_callback(&LibraryRoute::libraryEvent, reinterpret_cast<intptr_t>(this));
    else
        vbmp3_stopCallback();
}

bool LibraryRoute::open(const QString& path, std::unique_ptr<PcmSource> source) {
    const QByteArray utf8 = path.toUtf8();
    opened_ = vbmp3_openSource(utf8.constData(), std::move(source), &info_) != 0;
    return opened_;
}

bool LibraryRoute::play() {
    return vbmp3_play() != 0;
}

bool LibraryRoute::pause() {
    return vbmp3_pause() != 0;
}

bool LibraryRoute::resume() {
    return vbmp3_restart() != 0;
}

// A library that cannot stop keeps its file: it is not closed under a running output.
bool LibraryRoute::stop() {
    if (vbmp3_stop() == 0)
        return false;
    opened_ = false;
    return vbmp3_close() != 0;
}

bool LibraryRoute::seek(std::chrono::milliseconds position) {
    if (position.count() < 0 || position.count() > INT32_MAX)
        return false;
    return vbmp3_seekMilliseconds(static_cast<int32_t>(position.count())) != 0;
}

PlaybackRoute::State LibraryRoute::state() const {
    int32_t second = 0;
    switch (vbmp3_getState(&second)) {
    case 1:
        return State::Playing;
    case 2:
        return State::Paused;
    default:
        return State::Stopped;
    }
}

std::chrono::seconds LibraryRoute::position() const {
    int32_t second = 0;
    vbmp3_getState(&second);
    return std::chrono::seconds(second);
}

std::chrono::milliseconds LibraryRoute::HeardThroughOutput(const PlaybackRoute& route) {
    const std::chrono::seconds whole = route.position();
    const AudioOutput* output = AudioOutput::LastPlayed();
    if (!output || route.state() == State::Stopped ||
        std::abs(output->positionSeconds() - int32_t(whole.count())) > 1)
        return whole;
    return output->heardPosition();
}

std::chrono::milliseconds LibraryRoute::heardPosition() const {
    return HeardThroughOutput(*this);
}

std::chrono::seconds LibraryRoute::length() const {
    return std::chrono::seconds(opened_ ? info_.totalSec : 0);
}

int32_t LibraryRoute::bitrateKbps() const {
    return opened_ ? info_.bitRate : 0;
}

bool LibraryRoute::queueNext(const QString& path, std::unique_ptr<PcmSource> source,
                             std::chrono::milliseconds blank) {
    const QByteArray utf8 = path.toUtf8();
    return vbmp3_queueSource(utf8.constData(), std::move(source),
                             static_cast<int32_t>(blank.count()), nullptr) != 0;
}

void LibraryRoute::dropQueued() {
    vbmp3_dropQueued();
}

bool LibraryRoute::takeJoined(const QString&) {
    if (vbmp3_takeJoined(&info_) == 0)
        return false;
    opened_ = true;
    return true;
}
