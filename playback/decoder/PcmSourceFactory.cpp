#include "PcmSourceFactory.h"

#include "Mp3Source.h"
#include "WavSource.h"
#include "core/FileAccess.h"

#include <cstring>
#include <fstream>

bool PcmSourceFactory::looksLikeWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    if (!in.read(head, sizeof head))
        return false;
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RIFX", 4) == 0 ||
                      std::memcmp(head, "RF64", 4) == 0;
    return riff && std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::unique_ptr<PcmSource> PcmSourceFactory::open(const std::string& utf8Path) {
    // The player hands over names as text; a file named in other bytes (Shift_JIS) is found
    // again through them. Bytes that are not UTF-8 already are the file's own.
    const QByteArrayView given(utf8Path);
    const std::string path = given.isValidUtf8()
                                 ? modZAUtil::NativePath(QString::fromUtf8(given)).toStdString()
                                 : utf8Path;
    if (looksLikeWave(path)) {
        if (auto wave = WavSource::open(path))
            return wave;
    }
    return Mp3Source::open(path);
}
