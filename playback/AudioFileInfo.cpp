#include "playback/AudioFileInfo.h"

#include "core/FileAccess.h"
#include "library/TrackEntries.h"
#include "playback/CueTrack.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/decoder/Mp3Source.h"
#include "playback/decoder/WavSource.h"
#include "playback/mci/MidiTimeline.h"
#include "playback/mci/RouteModules.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

namespace {

// A MIDI file's length needs only its tempo map; loading a sound font to learn it would cost
// a second or more.
AudioFileInfo MidiInfo(const QString& path) {
    AudioFileInfo info;
    QFile file(path);
    MidiTimeline timeline;
    if (!file.open(QIODevice::ReadOnly) || file.size() > (64 << 20) ||
        !timeline.parse(file.readAll()))
        return info;
    info.valid = true;
    info.format = QStringLiteral("MIDI");
    info.seconds = static_cast<int64_t>(timeline.lengthSeconds());
    return info;
}

// The library plays MPEG audio of every layer; the name says which one the first frame is.
QString MpegFormat(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    std::vector<unsigned char> head(ContentSniffer::kHeadBytes);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    size_t size = size_t(in.gcount());
    if (const size_t tag = ContentSniffer::id3v2Length(head.data(), size); tag > 0) {
        in.clear();
        in.seekg(std::streamoff(tag));
        in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
        size = size_t(in.gcount());
    }
    for (size_t pos = 0; pos + 4 <= size; ++pos) {
        const size_t length = ContentSniffer::mpegFrame(&head[pos]);
        if (length == 0 ||
            (pos + length + 4 <= size && !ContentSniffer::mpegFrame(&head[pos + length])))
            continue;
        switch ((head[pos + 1] >> 1) & 3) {
        case 3:
            return QStringLiteral("MP1");
        case 2:
            return QStringLiteral("MP2");
        default:
            return QStringLiteral("MP3");
        }
    }
    return QStringLiteral("MP3");
}

// The file from `start` to `end` (nullopt: its end).
AudioFileInfo ReadSpan(const QString& path, CueSheet::Time start,
                       std::optional<CueSheet::Time> end) {
    const std::string native = modZAUtil::NativePath(path).toStdString();
    std::unique_ptr<PcmSource> source;
    QString format;
    switch (ContentSniffer::routeOfFile(native)) {
    case DecoderRoute::Midi:
        return MidiInfo(path);
    case DecoderRoute::Wave:
        source = WavSource::open(native);
        format = QStringLiteral("WAV");
        break;
    case DecoderRoute::Mpeg:
        source = Mp3Source::open(native);
        format = MpegFormat(native);
        break;
    case DecoderRoute::Ffmpeg:
        break;
    }
    if (!source) {
        source = RouteModules::open(RouteModules::Route::Ffmpeg, path);
        format = QFileInfo(path).suffix().toUpper();
    }
    AudioFileInfo info;
    if (!source)
        return info;
    const PcmSource::Format f = source->format();
    info.valid = true;
    info.format = format;
    info.bitrateKbps = source->bitrate();
    info.sampleRate = f.sampleRate;
    info.channels = f.channels;
    if (f.sampleRate <= 0)
        return info;
    int64_t frames = source->lengthFrames();
    if (end)
        frames = frames < 0 ? CueTrack::Frames(*end, f.sampleRate)
                            : std::min(frames, CueTrack::Frames(*end, f.sampleRate));
    frames -= CueTrack::Frames(start, f.sampleRate);
    if (frames > 0)
        info.seconds = frames / f.sampleRate;
    else if (start > CueSheet::Time{} && source->lengthFrames() >= 0)
        info.valid = false;  // a track that starts past the end of its image
    return info;
}

}  // namespace

// A track of a disc image has the image's format and its own length.
AudioFileInfo AudioFileInfo::Read(const QString& path) {
    const std::optional<CueSheet::TrackReference> reference = TrackEntries::Reference(path);
    if (!reference)
        return ReadSpan(path, {}, std::nullopt);
    const std::optional<CueSheet::ListedTrack> track = TrackEntries::Find(*reference);
    return track ? ReadSpan(track->path, track->start, track->end) : AudioFileInfo{};
}

QString AudioFileInfo::Summary() const {
    if (!valid)
        return {};
    QStringList parts{format};
    if (bitrateKbps > 0)
        parts << QStringLiteral("%1 kbps").arg(bitrateKbps);
    if (sampleRate > 0)
        parts << QStringLiteral("%1 Hz").arg(sampleRate);
    if (channels == 1)
        parts << QStringLiteral("モノラル");
    else if (channels == 2)
        parts << QStringLiteral("ステレオ");
    else if (channels > 2)
        parts << QStringLiteral("%1 ch").arg(channels);
    const int64_t minutes = seconds / 60;
    parts << QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return parts.join(QStringLiteral("  "));
}
