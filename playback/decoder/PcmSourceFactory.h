#pragma once

#include "playback/output/PcmSource.h"

#include <memory>
#include <string>

// Picks the decoder by the file's content, not its name: a RIFF/WAVE header goes to
// libsndfile, everything else to libmpg123. Null when neither can decode a frame of it.
class PcmSourceFactory {
public:
    static std::unique_ptr<PcmSource> open(const std::string& path);
    static bool looksLikeWave(const std::string& path);
};
