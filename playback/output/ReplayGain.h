#pragma once

#include <optional>
#include <string>
#include <string_view>

// ReplayGain: the loudness correction a tagger stored with a track, so that quiet and loud
// recordings play at the same loudness. Gains are in dB; absurd values are held to ±24 dB,
// since a damaged tag must not make a song silent or deafening.
class ReplayGain {
public:
    static constexpr float kMaxDb = 24.0f;

    // "-6.20 dB", "+3.1dB", " 2 ", "-7,5 db" → dB. Anything else (empty, "abc", "nan", "6 dB x")
    // is no gain.
    static std::optional<float> parseDb(std::string_view text);
    // An Opus R128_TRACK_GAIN: an integer in 1/256 dB towards -23 LUFS, which is 5 dB quieter
    // than ReplayGain's reference, so 5 dB is added.
    static std::optional<float> parseR128Db(std::string_view text);
    static float linear(float db);

    // The track gain in the ID3v2 tag at the start of the file at `nativePath` (in its "id3 "
    // chunk for a WAV file): a TXXX (TXX)
    // frame "REPLAYGAIN_TRACK_GAIN" in any letter case, else the master volume of an RVA2 frame
    // for the track. None when the file has no such tag.
    static std::optional<float> id3v2TrackGainDb(const std::string& nativePath);
};
