#pragma once

#include "playback/output/PcmSource.h"

#include <memory>
#include <string>

struct sf_private_tag;

// WAV (and whatever else libsndfile reads) as float frames in the file's own channel count.
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
};
