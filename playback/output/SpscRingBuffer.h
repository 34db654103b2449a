#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

// A single-producer single-consumer queue of interleaved float samples. The decode thread
// writes, the audio callback reads; neither ever waits for the other or allocates.
// reset() and resize() may only run while neither side is active.
class SpscRingBuffer {
public:
    // Capacity is rounded up to a power of two samples.
    explicit SpscRingBuffer(size_t capacitySamples);
    // Empties the buffer and gives it at least this capacity (allocating only for a new one).
    void resize(size_t capacitySamples);

    size_t capacity() const { return mask_ + 1; }
    size_t readable() const;
    size_t writable() const;

    // Both return the number of samples moved (never more than asked).
    size_t write(const float* in, size_t samples);
    size_t read(float* out, size_t samples);

    void reset();

private:
    std::unique_ptr<float[]> data_;
    size_t mask_;
    // Free-running positions; their difference is the fill level.
    alignas(64) std::atomic<uint64_t> writePos_{0};
    alignas(64) std::atomic<uint64_t> readPos_{0};
};
