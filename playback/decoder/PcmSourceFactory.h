#pragma once

#include "playback/output/PcmSource.h"

#include <memory>
#include <string>

// Opens what this library plays, chosen by the file's content (ContentSniffer), not its name:
// RIFF/WAVE through libsndfile, MPEG audio through libmpg123. Null for anything else and for
// what the chosen decoder refuses; the player then hands the file to FFmpeg.
class PcmSourceFactory {
public:
    static std::unique_ptr<PcmSource> open(const std::string& path);
    // The source with the ReplayGain of the file's ID3v2 tag or LAME header, if it has one.
    static std::unique_ptr<PcmSource> withTrackGain(std::unique_ptr<PcmSource> source,
                                                    const std::string& nativePath);
    static bool looksLikeWave(const std::string& path);
    // The file name as the operating system wants it: text that is UTF-8 goes through the
    // player's path conversion, other bytes (a Shift_JIS name) are the file's own.
    static std::string nativePath(const std::string& utf8Path);
};
