#include "playback/AudioFileInfo.h"

#include "core/FileAccess.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/decoder/Mp3Source.h"
#include "playback/decoder/WavSource.h"
#include "playback/mci/MidiTimeline.h"
#include "playback/mci/RouteModules.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

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

}  // namespace

AudioFileInfo AudioFileInfo::Read(const QString& path) {
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
        format = QStringLiteral("MP3");
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
    if (source->lengthFrames() > 0 && f.sampleRate > 0)
        info.seconds = source->lengthFrames() / f.sampleRate;
    return info;
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
