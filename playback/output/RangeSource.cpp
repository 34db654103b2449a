#include "RangeSource.h"

#include <algorithm>

std::unique_ptr<RangeSource> RangeSource::open(std::unique_ptr<PcmSource> image, int64_t startFrame,
                                               std::optional<int64_t> endFrame) {
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
    if (startFrame > 0 && !image->seek(startFrame))
        return nullptr;
    return std::unique_ptr<RangeSource>(new RangeSource(std::move(image), startFrame, endFrame));
}

RangeSource::RangeSource(std::unique_ptr<PcmSource> image, int64_t startFrame,
                         std::optional<int64_t> endFrame)
    : image_(std::move(image)), start_(startFrame), end_(endFrame), next_(startFrame) {
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
    if (!image_->seek(start_ + frame))
        return false;
    next_ = start_ + frame;
    return true;
}
