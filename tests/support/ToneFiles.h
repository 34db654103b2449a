#pragma once

#include <string>

// Sine tones written with libsndfile, for tests and benchmarks that need real media files.
// Each channel has its own frequency and amplitude (channels past the second reuse the
// second's).
struct ToneSpec {
    int sampleRate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double frequency[2] = {440.0, 440.0};
    double amplitude[2] = {0.5, 0.5};
    // From this time on the tone's frequencies are multiplied by `laterFactor`, so a test can
    // tell where in the file the samples came from.
    double changeAtSecond = -1.0;
    double laterFactor = 1.0;
    // The file holds the tone from this frame on: consecutive pieces of one recording.
    long firstFrame = 0;
};

class ToneFiles {
public:
    enum class WavEncoding { PcmU8, Pcm16, Pcm24, Pcm32, Float };

    static bool writeWav(const std::string& path, const ToneSpec& tone,
                         WavEncoding encoding = WavEncoding::Pcm16);
    // MPEG-1/2 Layer III at a constant bit rate near `kbps`.
    static bool writeMp3(const std::string& path, const ToneSpec& tone, int kbps = 128);
    // Whether this libsndfile can write MP3 at all.
    static bool canWriteMp3();

    // The sample of `channel` at frame `frame`, as written.
    static double sampleAt(const ToneSpec& tone, int channel, long frame);
};
