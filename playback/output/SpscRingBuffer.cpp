#include "SpscRingBuffer.h"

#include <algorithm>
#include <cstring>

namespace {
size_t roundUpPow2(size_t n) {
    size_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}
}  // namespace

SpscRingBuffer::SpscRingBuffer(size_t capacitySamples)
    : data_(new float[roundUpPow2(std::max<size_t>(capacitySamples, 2))]()),
      mask_(roundUpPow2(std::max<size_t>(capacitySamples, 2)) - 1) {}

void SpscRingBuffer::resize(size_t capacitySamples) {
    const size_t capacity = roundUpPow2(std::max<size_t>(capacitySamples, 2));
    if (capacity != mask_ + 1) {
        data_.reset(new float[capacity]());
        mask_ = capacity - 1;
    }
    reset();
}

size_t SpscRingBuffer::readable() const {
    return size_t(writePos_.load(std::memory_order_acquire) -
                  readPos_.load(std::memory_order_acquire));
}

size_t SpscRingBuffer::writable() const {
    return capacity() - readable();
}

size_t SpscRingBuffer::write(const float* in, size_t samples) {
    const uint64_t w = writePos_.load(std::memory_order_relaxed);
    const uint64_t r = readPos_.load(std::memory_order_acquire);
    const size_t n = std::min(samples, capacity() - size_t(w - r));
    const size_t start = size_t(w) & mask_;
    const size_t first = std::min(n, capacity() - start);
    std::memcpy(data_.get() + start, in, first * sizeof(float));
    std::memcpy(data_.get(), in + first, (n - first) * sizeof(float));
    writePos_.store(w + n, std::memory_order_release);
    return n;
}

size_t SpscRingBuffer::read(float* out, size_t samples) {
    const uint64_t r = readPos_.load(std::memory_order_relaxed);
    const uint64_t w = writePos_.load(std::memory_order_acquire);
    const size_t n = std::min(samples, size_t(w - r));
    const size_t start = size_t(r) & mask_;
    const size_t first = std::min(n, capacity() - start);
    std::memcpy(out, data_.get() + start, first * sizeof(float));
    std::memcpy(out + first, data_.get(), (n - first) * sizeof(float));
    readPos_.store(r + n, std::memory_order_release);
    return n;
}

void SpscRingBuffer::reset() {
    readPos_.store(0, std::memory_order_release);
    writePos_.store(0, std::memory_order_release);
}
