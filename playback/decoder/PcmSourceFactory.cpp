#include "PcmSourceFactory.h"

#include "ContentSniffer.h"
#include "Mp3Source.h"
#include "WavSource.h"
#include "core/FileAccess.h"
#include "playback/output/ReplayGain.h"

std::unique_ptr<PcmSource> PcmSourceFactory::withTrackGain(std::unique_ptr<PcmSource> source,
                                                           const std::string& nativePath) {
    if (source)
        source->setReplayGain(ReplayGain::fileTags(nativePath));
    return source;
}

bool PcmSourceFactory::looksLikeWave(const std::string& path) {
    return ContentSniffer::routeOfFile(path) == DecoderRoute::Wave;
}

std::string PcmSourceFactory::nativePath(const std::string& utf8Path) {
    const QByteArrayView given(utf8Path);
    return given.isValidUtf8() ? modZAUtil::NativePath(QString::fromUtf8(given)).toStdString()
                               : utf8Path;
}

std::unique_ptr<PcmSource> PcmSourceFactory::open(const std::string& utf8Path) {
    const std::string path = nativePath(utf8Path);
    switch (ContentSniffer::routeOfFile(path)) {
    case DecoderRoute::Wave:
        return withTrackGain(WavSource::open(path), path);
    case DecoderRoute::Mpeg:
        return withTrackGain(Mp3Source::open(path), path);
    case DecoderRoute::Midi:
    case DecoderRoute::Ffmpeg:
        break;
    }
    return nullptr;
}
