#include "PcmSourceFactory.h"

#include "ContentSniffer.h"
#include "Mp3Source.h"
#include "WavSource.h"
#include "core/FileAccess.h"

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
        return WavSource::open(path);
    case DecoderRoute::Mpeg:
        return Mp3Source::open(path);
    case DecoderRoute::Midi:
    case DecoderRoute::Ffmpeg:
        break;
    }
    return nullptr;
}
