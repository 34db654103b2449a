#pragma once

#include <cstdint>

// The byte-level pieces of an ID3v2 tag, shared by the tag reader and the loudness reader.
// Header-only and free of Qt, so the sound engine can use it without linking the tag library.
namespace Id3Bytes {

// A big-endian number of `count` bytes (frame sizes of v2.2 and v2.3).
inline uint32_t BigEndian(const char* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

// A 28-bit number in four bytes of seven bits each (the tag size, v2.4 frame sizes).
inline uint32_t Synchsafe(const char* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 7) | (static_cast<unsigned char>(bytes[i]) & 0x7F);
    return value;
}

// Drops the 00 that unsynchronisation put after every FF. Works on any byte container with
// size(), operator[] and a way to shorten it (`shorten(bytes, newSize)`).
template <class Bytes, class Shorten> void RemoveUnsynchronisation(Bytes& bytes, Shorten shorten) {
    decltype(bytes.size()) out = 0;
    for (decltype(bytes.size()) in = 0; in < bytes.size(); ++in) {
        bytes[out++] = bytes[in];
        if (static_cast<unsigned char>(bytes[in]) == 0xFF && in + 1 < bytes.size() &&
            bytes[in + 1] == 0)
            ++in;
    }
    shorten(bytes, out);
}

}  // namespace Id3Bytes
