#pragma once

#include <atomic>
#include <cstddef>

// What the shared sound device plays from. render() runs on the device's thread and fills the
// whole buffer with interleaved stereo float samples at `deviceRate`; it must not lock,
// allocate or wait.
class AudioRenderer {
public:
    virtual void render(float* out, size_t samples) = 0;

    // Set by SdlAudioSystem::attach(). A device running at another rate plays silence instead
    // (while it is being reopened at this one).
    std::atomic<int> deviceRate{0};

protected:
    ~AudioRenderer() = default;
};
