#pragma once

#include <QString>
#include <cstdint>

// What the engine reads of an audio file without playing it: its format, bit rate, sample rate,
// channels and length. The decoder is chosen by the file's content, as for playing it.
struct AudioFileInfo {
    bool valid = false;       // false when no decoder opens the file
    QString format;           // "MP3", "WAV", "MIDI", else the file's extension in capitals
    int32_t bitrateKbps = 0;  // 0 when the format has none
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int64_t seconds = 0;  // whole seconds; 0 when unknown

    // `path` may name a track of a disc image ("disc.cue?3"): the image's format, the track's
    // length.
    static AudioFileInfo Read(const QString& path);

    // One line for people: "MP3  192 kbps  44100 Hz  ステレオ  3:05"; "" when not valid.
    QString Summary() const;
};
