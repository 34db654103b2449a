#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// What the shared sound device plays from. render() runs on the device's thread; it must not
// lock, allocate or wait.
class AudioRenderer {
public:
    // Writes up to `samples` interleaved stereo float samples at `deviceRate` to `out` and
    // returns how many. Fewer only while the decoder has not caught up; once the song has
    // nothing more to give, the rest is silence and every sample is written. With
    // `withVolume` false the per-channel volume is left out: the device applies volume().
    virtual size_t render(float* out, size_t samples, bool withVolume) = 0;
    // The per-channel gain, linear, 0 to 1.
    virtual void volume(float& left, float& right) const = 0;

    // Set by SoundSystem::attach(). A device running at another rate plays silence instead
    // (while it is being reopened at this one).
    std::atomic<int> deviceRate{0};
    // Frames render() gave out that were never heard: thrown away with a sound server's
    // buffer when the renderer was detached. The renderer starts over from the frame heard
    // before it plays again, and clears this.
    std::atomic<int64_t> droppedFrames{0};

protected:
    ~AudioRenderer() = default;
};
