#pragma once

#include "PcmSource.h"

#include <cstdint>
#include <memory>
#include <optional>

// One span of another source, played as a song of its own: a track of a disc image that a cue
// sheet lays over the image's audio. Its frame 0 is the span's first frame; it reports the
// span's length, seeks within the span and ends at the span's end (or the image's). Like every
// source, used from one thread at a time: opened on the file opener's thread, then read on the
// output's decode thread and sought on the UI thread while the output holds that one.
class RangeSource : public PcmSource {
public:
    // Null when `image` is null, cannot move to `startFrame` or the span holds no frame.
    // `endFrame` nullopt: to the image's end. A decoder whose seek lands on the right frame but
    // needs the audio before it to decode it as a continuous play does (MP3: the overlap and the
    // bit reservoir of the frames before) gets `warmUpFrames`: the image is sought that far
    // before the start (and before every seek's target) and decoded up to it, so the track's
    // first sample is the one that playing the image through gives, and the previous track
    // joins it without a seam.
    static std::unique_ptr<RangeSource> open(std::unique_ptr<PcmSource> image, int64_t startFrame,
                                             std::optional<int64_t> endFrame,
                                             int64_t warmUpFrames = 0);

    Format format() const override { return image_->format(); }
    int64_t lengthFrames() const override;
    long read(float* out, long frames) override;
    bool seek(int64_t frame) override;
    int bitrate() const override { return image_->bitrate(); }

private:
    RangeSource(std::unique_ptr<PcmSource> image, int64_t startFrame,
                std::optional<int64_t> endFrame, int64_t warmUpFrames);
    // Seeks the image to `imageFrame`, decoding the warm-up before it.
    bool moveTo(int64_t imageFrame);

    std::unique_ptr<PcmSource> image_;
    int64_t start_ = 0;
    std::optional<int64_t> end_;  // in the image's frames
    int64_t warmUp_ = 0;
    int64_t next_ = 0;    // the image's frame that read() gives next
    bool atEnd_ = false;  // sought to the span's end, which the image need not reach
};
