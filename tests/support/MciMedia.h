#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// Media files for the tests of the media-control route, written by the tests themselves:
// tones through FFmpeg's encoders and small MIDI files built byte by byte.
namespace MciMedia {

struct Tone {
    double seconds = 2.0;
    double frequency = 440.0;
    double sweepTo = 0.0;  // when non-zero the pitch glides linearly to this frequency
    double amplitude = 0.5;
    int sampleRate = 44100;
    int channels = 2;
    const char* trackGain = nullptr;  // the text of a gain tag, when set
    const char* trackGainTag = "REPLAYGAIN_TRACK_GAIN";
    const char* title = nullptr;  // the file's title tag, when set
};

bool hasEncoder(const char* name);

// Encodes `tone` with the named encoder into the container that the file name's extension
// selects. False when the encoder or the container is missing or writing fails.
bool writeTone(const QString& path, const char* encoder, const Tone& tone = {});

// The files the MP3/WAV library plays, through libsndfile (16-bit WAV; MP3 at its default
// quality).
bool writeWav(const QString& path, const Tone& tone = {});
bool writeMp3(const QString& path, const Tone& tone = {});

struct Midi {
    int format = 0;  // 0: one track; 1: a tempo track and a note track
    int ticksPerQuarter = 480;
    uint32_t tempo = 500000;   // microseconds per quarter note
    int tempoChangeBeat = -1;  // beat at which `secondTempo` takes over, -1 for none
    uint32_t secondTempo = 0;
    int program = 73;                           // GM flute: nearly a pure tone
    std::vector<int> notes = {69, 69, 69, 69};  // one quarter note each
};

// Length in seconds of the file midiFile() makes.
double midiSeconds(const Midi& midi);
QByteArray midiFile(const Midi& midi);

}  // namespace MciMedia
