#pragma once

#include "StereoDownmix.h"
#include "playback/output/PcmSource.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sf_private_tag;

// WAV (and whatever else libsndfile reads) as float frames: mono or stereo as the file has it,
// more channels mixed down to stereo by the file's channel map (or the usual layout for their
// count), so a 5.1 file keeps its centre.
class WavSource : public PcmSource {
public:
    // Null when the file cannot be opened or holds no frame.
    static std::unique_ptr<WavSource> open(const std::string& path);
    ~WavSource() override;

    Format format() const override { return format_; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    long read(float* out, long frames) override;
    bool seek(int64_t frame) override;
    int bitrate() const override { return bitrate_; }

private:
    explicit WavSource(sf_private_tag* file) : file_(file) {}

    sf_private_tag* file_;
    Format format_;
    int64_t lengthFrames_ = 0;
    int bitrate_ = 0;
    std::optional<StereoDownmix> downmix_;
    std::vector<float> wide_;  // the file's own frames before the down-mix
};
