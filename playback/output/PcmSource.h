#pragma once

#include <cstdint>
#include <optional>

// A decoder that the output pulls from: interleaved 32-bit float samples in [-1, 1].
// Implementations are used from one thread at a time (the output's decode side), never from
// the audio callback itself.
class PcmSource {
public:
    struct Format {
        int sampleRate = 0;
        int channels = 0;
    };

    virtual ~PcmSource() = default;

    virtual Format format() const = 0;
    // Length in frames, or -1 when the source does not know it.
    virtual int64_t lengthFrames() const = 0;
    // Writes up to `frames` frames to `out` (frames × channels floats). Returns the frames
    // written; 0 at the end of the source; a negative value on an error (treated as the end).
    virtual long read(float* out, long frames) = 0;
    // Moves to `frame` (clamped to the length). False when the source cannot seek.
    virtual bool seek(int64_t frame) = 0;
    // Bit rate in kbit/s when the format has one, else 0.
    virtual int bitrate() const { return 0; }

    // The track's ReplayGain in dB, set by whoever read the file's tags; none when untagged.
    std::optional<float> trackGainDb() const { return trackGainDb_; }
    void setTrackGainDb(std::optional<float> db) { trackGainDb_ = db; }

private:
    std::optional<float> trackGainDb_;
};
