#include "MidiTimeline.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // 120 beats a minute until the file says otherwise

uint32_t be32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint16_t be16(const unsigned char* p) {
    return uint16_t((p[0] << 8) | p[1]);
}

}  // namespace

bool MidiTimeline::parse(const QByteArray& bytes) {
    *this = MidiTimeline();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t size = static_cast<size_t>(bytes.size());
    if (size < 14 || std::memcmp(p, "MThd", 4) != 0)
        return false;
    const uint32_t headerLength = be32(p + 4);
    if (headerLength < 6 || headerLength > size - 8)
        return false;
    const uint16_t division = be16(p + 12);
    if (division & 0x8000) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if (framesPerSecond <= 0 || ticksPerFrame == 0)
            return false;
        // 29 stands for 29.97 drop-frame time code.
        smpteTicksPerSecond_ =
            (framesPerSecond == 29 ? 29.97 : double(framesPerSecond)) * ticksPerFrame;
    } else {
        ticksPerQuarter_ = division;
        if (ticksPerQuarter_ == 0)
            return false;
    }

    int tracks = 0;
    size_t pos = 8 + headerLength;
    while (size - pos >= 8) {
        const uint32_t chunkLength = be32(p + pos + 4);
        const size_t body = std::min<size_t>(chunkLength, size - pos - 8);
        if (std::memcmp(p + pos, "MTrk", 4) == 0) {
            readTrack(p + pos + 8, body);
            ++tracks;
        }
        if (body < chunkLength)
            break;
        pos += 8 + body;
    }
    std::stable_sort(tempos_.begin(), tempos_.end(),
                     [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
    return tracks > 0;
}

void MidiTimeline::readTrack(const unsigned char* data, size_t size) {
    size_t i = 0;
    int64_t tick = 0;
    unsigned char running = 0;
    auto readNumber = [&](uint32_t& value) {
        value = 0;
        for (int k = 0; k < 4 && i < size; ++k) {
            const unsigned char b = data[i++];
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    };

    while (i < size) {
        uint32_t delta = 0;
        if (!readNumber(delta) || i >= size)
            break;
        tick += delta;
        unsigned char status = data[i];
        if (status & 0x80)
            ++i;
        else if (running)
            status = running;
        else
            break;

        if (status == 0xFF) {
            if (i >= size)
                break;
            const unsigned char type = data[i++];
            uint32_t length = 0;
            if (!readNumber(length) || length > size - i)
                break;
            if (type == 0x51 && length == 3) {
                const uint32_t micros =
                    (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8) | data[i + 2];
                if (micros > 0)
                    tempos_.push_back({tick, micros});
            }
            i += length;
            running = 0;
            lastTick_ = std::max(lastTick_, tick);
            if (type == 0x2F)
                break;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            uint32_t length = 0;
            if (!readNumber(length) || length > size - i)
                break;
            i += length;
            running = 0;
            lastTick_ = std::max(lastTick_, tick);
            continue;
        }
        if (status > 0xF0)
            break;  // system messages have no place in a file
        running = status;
        const unsigned kind = status & 0xF0;
        const size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (dataBytes > size - i)
            break;
        i += dataBytes;
        lastTick_ = std::max(lastTick_, tick);
    }
}

double MidiTimeline::secondsAt(int64_t tick) const {
    if (smpteTicksPerSecond_ > 0)
        return double(tick) / smpteTicksPerSecond_;
    if (ticksPerQuarter_ <= 0)
        return 0;
    double seconds = 0;
    int64_t from = 0;
    uint32_t tempo = kDefaultTempo;
    for (const Tempo& t : tempos_) {
        if (t.tick >= tick)
            break;
        seconds += double(t.tick - from) * tempo / (1e6 * ticksPerQuarter_);
        from = t.tick;
        tempo = t.microsPerQuarter;
    }
    return seconds + double(tick - from) * tempo / (1e6 * ticksPerQuarter_);
}

int64_t MidiTimeline::tickAt(double seconds) const {
    if (seconds <= 0)
        return 0;
    if (smpteTicksPerSecond_ > 0)
        return static_cast<int64_t>(seconds * smpteTicksPerSecond_);
    if (ticksPerQuarter_ <= 0)
        return 0;
    double elapsed = 0;
    int64_t from = 0;
    uint32_t tempo = kDefaultTempo;
    for (const Tempo& t : tempos_) {
        const double segment = double(t.tick - from) * tempo / (1e6 * ticksPerQuarter_);
        if (elapsed + segment > seconds)
            break;
        elapsed += segment;
        from = t.tick;
        tempo = t.microsPerQuarter;
    }
    return from + static_cast<int64_t>((seconds - elapsed) * 1e6 * ticksPerQuarter_ / tempo);
}
