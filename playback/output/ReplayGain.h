#pragma once

#include <optional>
#include <string>
#include <string_view>

// What a file says of its loudness: the gains of the track and of its album in dB, and the
// loudest sample of each, linear (1 = full scale). What the file does not say is none.
struct ReplayGainTags {
    std::optional<float> trackDb, albumDb;
    std::optional<float> trackPeak, albumPeak;
    bool hasGain() const { return trackDb || albumDb; }
};

// ReplayGain: the loudness correction a tagger stored with a track, so that quiet and loud
// recordings play at the same loudness. Gains are in dB; absurd values are held to ±24 dB,
// since a damaged tag must not make a song silent or deafening. Plain functions: any thread.
class ReplayGain {
public:
    static constexpr float kMaxDb = 24.0f;
    static constexpr float kMaxPreampDb = 15.0f;

    // Which gain a song plays at: none, its track's, its album's, or its album's while the
    // playlist plays in order and its track's while the songs come shuffled.
    enum class Mode { Off, Track, Album, AlbumInOrder };
    struct Settings {
        Mode mode = Mode::AlbumInOrder;
        float preampDb = 0.0f;        // added to a tagged song's gain, ±15 dB
        bool preventClipping = true;  // no more gain than the stored peak leaves room for
        bool shuffled = false;        // the songs come in random order
    };
    // The factor a song is played at. The mode's gain, else the other one, plus the pre-amp;
    // a song without either gain plays as it is. With clipping prevention the factor times
    // the peak belonging to the gain (else the other peak) stays at most 1.
    static float factor(const ReplayGainTags& tags, const Settings& settings);

    // "-6.20 dB", "+3.1dB", " 2 ", "-7,5 db" → dB. Anything else (empty, "abc", "nan", "6 dB x")
    // is no gain.
    static std::optional<float> parseDb(std::string_view text);
    // An Opus R128_TRACK_GAIN: an integer in 1/256 dB towards -23 LUFS, which is 5 dB quieter
    // than ReplayGain's reference, so 5 dB is added.
    static std::optional<float> parseR128Db(std::string_view text);
    // "0.988586" → a peak; none unless it is a number above 0 and at most 64.
    static std::optional<float> parsePeak(std::string_view text);
    static float linear(float db);

    // The track gain in the ID3v2 tag at the start of the file at `nativePath` (in its "id3 "
    // chunk for a WAV file): a TXXX (TXX)
    // frame "REPLAYGAIN_TRACK_GAIN" in any letter case, else the master volume of an RVA2 frame
    // for the track. None when the file has no such tag.
    static std::optional<float> id3v2TrackGainDb(const std::string& nativePath);
    // Every gain and peak of that tag: TXXX REPLAYGAIN_TRACK_GAIN, _ALBUM_GAIN, _TRACK_PEAK and
    // _ALBUM_PEAK, else the master volumes of RVA2 frames "track" and "album".
    static ReplayGainTags id3v2Tags(const std::string& nativePath);
    // The gains LAME writes into the Xing/Info header of an MP3's first frame (radio gain as
    // the track's, audiophile gain as the album's, and the peak), `frame` starting at the
    // frame header; none of them when the frame holds no such header.
    static ReplayGainTags lameTags(std::string_view frame);
    // What the tags of the file say (id3v2Tags); for an MP3 whose tag gives no gain, the LAME
    // header of its first frame.
    static ReplayGainTags fileTags(const std::string& nativePath);
};
