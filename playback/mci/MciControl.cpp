#include "MciControl.h"

#include "RouteModules.h"
#include "core/FileAccess.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/decoder/Mp3Source.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/decoder/WavSource.h"
#include "playback/decoder/vbmp3.h"

#include <memory>

namespace {

bool isDevice(const QString& type, const QString& name) {
    return type.compare(name, Qt::CaseInsensitive) == 0;
}

}  // namespace

MciControl::MciControl(QObject* parent) : QObject(parent) {
    // Runs on the decode thread with the output's lock held: it only hands the report over.
    output_.setEndHandler([this] {
        {
            std::lock_guard lock(endsMutex_);
            ends_.push_back(generation_.load(std::memory_order_acquire));
        }
        endWake_.wake();
    });
    connect(&endWake_, &ThreadWake::woken, this, &MciControl::deliverEnds);
    // It plays through the same device as the MP3/WAV library, so at the same volumes.
    Vbmp3Volumes::Follow(output_);
}

void MciControl::deliverEnds() {
    std::vector<uint64_t> ends;
    {
        std::lock_guard lock(endsMutex_);
        ends.swap(ends_);
    }
    for (const uint64_t generation : ends)
        finish(generation);
}

MciControl::~MciControl() {
    Vbmp3Volumes::StopFollowing(output_);
    output_.stop();
}

void MciControl::setCommand(const QString& command) {
    command_ = command;
    dropQueued();
    const QString verb = command.trimmed().toLower();
    if (verb == u"open")
        lastError_ = open(isDevice(deviceType_, QStringLiteral("CDAudio")) ? nullptr
                                                                           : OpenSource(fileName_));
    else if (verb == u"play")
        lastError_ = play();
    else if (verb == u"pause")
        lastError_ = pause();
    else if (verb == u"stop")
        lastError_ = stop();
    else if (verb == u"close") {
        close();
        lastError_ = NoError;
    } else
        lastError_ = UnknownCommand;
}

std::unique_ptr<PcmSource> MciControl::OpenSource(const QString& fileName) {
    // The content decides, whatever the name and the device type say: a WAV named .wma plays
    // as WAV, an MP3 named .mid as MP3, a RIFF-wrapped MIDI named .rmi as MIDI. What libsndfile
    // or libmpg123 refuse still gets its chance with FFmpeg.
    const std::string native = modZAUtil::NativePath(fileName).toStdString();
    std::unique_ptr<PcmSource> source;
    switch (ContentSniffer::routeOfFile(native)) {
    case DecoderRoute::Midi:
        source = RouteModules::open(RouteModules::Route::Midi, fileName);
        break;
    case DecoderRoute::Wave:
        source = PcmSourceFactory::withTrackGain(WavSource::open(native), native);
        break;
    case DecoderRoute::Mpeg:
        source = PcmSourceFactory::withTrackGain(Mp3Source::open(native), native);
        break;
    case DecoderRoute::Ffmpeg:
        break;
    }
    if (!source)
        source = RouteModules::open(RouteModules::Route::Ffmpeg, fileName);
    return source;
}

void MciControl::openSource(std::unique_ptr<PcmSource> source) {
    command_ = QStringLiteral("open");
    lastError_ = open(std::move(source));
}

MciControl::Error MciControl::open(std::unique_ptr<PcmSource> source) {
    close();
    if (isDevice(deviceType_, QStringLiteral("CDAudio")))
        return DeviceUnavailable;
    if (!source || !output_.load(std::move(source)))
        return CannotOpen;
    mode_ = Mode::Stopped;
    return NoError;
}

MciControl::Error MciControl::play() {
    switch (mode_) {
    case Mode::NotOpen:
        return NotOpen;
    case Mode::Playing:
        return NoError;
    case Mode::Paused:
    case Mode::Stopped:
        break;
    }
    // The generation moves before the sound starts, so even a very short file's end report
    // carries the new one.
    generation_.fetch_add(1, std::memory_order_acq_rel);
    // Paused output (a pause or a stop) resumes where it was; a fresh or finished file
    // starts from the beginning.
    const bool resumed = output_.state() == AudioOutput::Paused && output_.resume();
    if (!resumed && !output_.play())
        return OutputFailed;
    mode_ = Mode::Playing;
    return NoError;
}

MciControl::Error MciControl::pause() {
    if (mode_ == Mode::NotOpen)
        return NotOpen;
    // A file that has just played out cannot pause; its end report is on its way and counts.
    if (mode_ == Mode::Playing && output_.pause())
        mode_ = Mode::Paused;
    return NoError;
}

MciControl::Error MciControl::stop() {
    if (mode_ == Mode::NotOpen)
        return NotOpen;
    generation_.fetch_add(1, std::memory_order_acq_rel);
    output_.pause();
    mode_ = Mode::Stopped;
    return NoError;
}

void MciControl::close() {
    generation_.fetch_add(1, std::memory_order_acq_rel);
    output_.stop();
    mode_ = Mode::NotOpen;
}

int32_t MciControl::lengthSeconds() const {
    return mode_ == Mode::NotOpen ? 0 : output_.lengthSeconds();
}

int32_t MciControl::positionSeconds() const {
    return mode_ == Mode::NotOpen ? 0 : output_.positionSeconds();
}

bool MciControl::seekTo(std::chrono::milliseconds position) {
    if (mode_ == Mode::NotOpen)
        return false;
    generation_.fetch_add(1, std::memory_order_acq_rel);
    if (!output_.seekTo(position))
        return false;
    // A seek after the end starts the file playing again.
    if (output_.state() == AudioOutput::Playing)
        mode_ = Mode::Playing;
    return true;
}

void MciControl::finish(uint64_t generation) {
    // A report that a command overtook, or one for a playback that a seek restarted, is stale.
    if (generation != generation_.load(std::memory_order_acquire) || mode_ != Mode::Playing)
        return;
    if (output_.state() != AudioOutput::Stopped) {
        // Still playing: the joined file went on from the end of this one.
        if (!joinedName_.isEmpty())
            Q_EMIT Done(1);
        return;
    }
    mode_ = Mode::Stopped;
    Q_EMIT Done(1);
}

bool MciControl::queueSource(const QString& fileName, std::unique_ptr<PcmSource> source,
                             int32_t blankMillis) {
    dropQueued();
    if (mode_ != Mode::Playing || !output_.queueNext(std::move(source), blankMillis))
        return false;
    joinedName_ = fileName;
    return true;
}

bool MciControl::takeJoined(const QString& fileName) {
    if (joinedName_.isEmpty() || joinedName_ != fileName || output_.hasQueued() ||
        output_.state() != AudioOutput::Playing)
        return false;
    joinedName_.clear();
    fileName_ = fileName;
    mode_ = Mode::Playing;
    return true;
}

void MciControl::dropQueued() {
    if (joinedName_.isEmpty())
        return;
    output_.dropQueued();
    joinedName_.clear();
}
