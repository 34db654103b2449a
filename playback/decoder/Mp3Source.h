#pragma once

#include "playback/output/PcmSource.h"

#include <memory>
#include <string>

struct mpg123_handle_struct;

// MPEG audio through libmpg123, always decoded to stereo float (mono is doubled by the
// decoder). The whole file is scanned on open, so the length is exact and seeks land on the
// sample asked for.
class Mp3Source : public PcmSource {
public:
    // Null when the file cannot be opened or holds no decodable frame.
    static std::unique_ptr<Mp3Source> open(const std::string& path);
    ~Mp3Source() override;

    Format format() const override { return format_; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    long read(float* out, long frames) override;
    bool seek(int64_t frame) override;
    int bitrate() const override { return bitrate_; }

private:
    explicit Mp3Source(mpg123_handle_struct* handle) : handle_(handle) {}

    mpg123_handle_struct* handle_;
    Format format_;
    int64_t lengthFrames_ = 0;
    int bitrate_ = 0;
};
