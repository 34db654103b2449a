#pragma once

#include "PcmSource.h"

#include <cstdint>
#include <vector>

struct _SDL_AudioStream;

// Turns a source's frames into the device's: interleaved stereo float at the device rate.
// Mono goes to both channels; of more than two channels the front pair is kept. A rate
// change goes through SDL's resampler. Runs on the decode side only.
class PcmConverter {
public:
    PcmConverter() = default;
    ~PcmConverter();
    PcmConverter(const PcmConverter&) = delete;
    PcmConverter& operator=(const PcmConverter&) = delete;

    bool configure(PcmSource::Format in, int outRate);
    int outRate() const { return outRate_; }
    bool resampling() const { return stream_ != nullptr; }
    // Stereo at the device rate: the source's frames go to the device as they are.
    bool passthrough() const { return !stream_ && in_.channels == 2; }

    // Replaces the contents of `out` with the converted frames (out keeps its capacity).
    void convert(const float* in, long frames, std::vector<float>& out);
    // End of input: hands out what the resampler still holds.
    void flush(std::vector<float>& out);
    // Drops what the resampler holds (after a seek).
    void reset();

private:
    void drainStream(std::vector<float>& out);

    PcmSource::Format in_;
    // Frames in and out since the last reset: the resampler's output is made exactly as long
    // as the input at the end, since SDL's own flush comes out short.
    int64_t inFrames_ = 0;
    int64_t outFrames_ = 0;
    int outRate_ = 0;
    _SDL_AudioStream* stream_ = nullptr;
    std::vector<float> stereo_;
};
