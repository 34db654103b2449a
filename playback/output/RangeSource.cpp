#include "RangeSource.h"

#include <algorithm>
#include <vector>

std::unique_ptr<RangeSource> RangeSource::open(std::unique_ptr<PcmSource> image, int64_t startFrame,
                                               std::optional<int64_t> endFrame,
                                               int64_t warmUpFrames) {
    if (!image || startFrame < 0)
        return nullptr;
    const int64_t imageFrames = image->lengthFrames();
    if (imageFrames >= 0) {
        if (startFrame >= imageFrames)
            return nullptr;
        if (endFrame && *endFrame > imageFrames)
            endFrame.reset();  // a sheet that overshoots the audio: the track ends with it
    }
    if (endFrame && *endFrame <= startFrame)
        return nullptr;
    std::unique_ptr<RangeSource> range(new RangeSource(std::move(image), startFrame, endFrame,
                                                       std::max<int64_t>(warmUpFrames, 0)));
    if (!range->moveTo(startFrame))
        return nullptr;
    return range;
}

RangeSource::RangeSource(std::unique_ptr<PcmSource> image, int64_t startFrame,
                         std::optional<int64_t> endFrame, int64_t warmUpFrames)
    : image_(std::move(image)), start_(startFrame), end_(endFrame), warmUp_(warmUpFrames) {
    setReplayGain(image_->replayGain());
}

int64_t RangeSource::lengthFrames() const {
    if (end_)
        return *end_ - start_;
    const int64_t imageFrames = image_->lengthFrames();
    return imageFrames < 0 ? -1 : imageFrames - start_;
}

long RangeSource::read(float* out, long frames) {
    if (atEnd_)
        return 0;
    if (end_)
        frames = long(std::clamp<int64_t>(*end_ - next_, 0, frames));
    if (frames == 0)
        return 0;
    const long got = image_->read(out, frames);
    if (got > 0)
        next_ += got;
    return got;
}

// A seek to the very end touches no decoder: FFmpeg refuses one to the end of a file.
bool RangeSource::seek(int64_t frame) {
    frame = std::max<int64_t>(frame, 0);
    const int64_t length = lengthFrames();
    atEnd_ = length >= 0 && frame >= length;
    if (atEnd_) {
        next_ = start_ + length;
        return true;
    }
    return moveTo(start_ + frame);
}

bool RangeSource::moveTo(int64_t imageFrame) {
    const int64_t from = std::max<int64_t>(imageFrame - warmUp_, 0);
    if ((from > 0 || next_ != 0) && !image_->seek(from))
        return false;
    next_ = from;
    std::vector<float> skipped;
    while (next_ < imageFrame) {
        constexpr long kBlock = 4096;
        skipped.resize(size_t(kBlock) * size_t(std::max(image_->format().channels, 1)));
        const long got =
            image_->read(skipped.data(), long(std::min<int64_t>(imageFrame - next_, kBlock)));
        if (got <= 0)
            return false;
        next_ += got;
    }
    return true;
}
