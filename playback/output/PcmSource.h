#pragma once

#include "ReplayGain.h"

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

    // The file's ReplayGain gains and peaks, set by whoever read its tags; none when untagged.
    const ReplayGainTags& replayGain() const { return replayGain_; }
    void setReplayGain(const ReplayGainTags& tags) { replayGain_ = tags; }
    std::optional<float> trackGainDb() const { return replayGain_.trackDb; }
    void setTrackGainDb(std::optional<float> db) { replayGain_.trackDb = db; }

private:
    ReplayGainTags replayGain_;
};
