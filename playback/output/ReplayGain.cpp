#include "ReplayGain.h"

#include "core/Id3Bytes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

// Tag frames worth reading are a few dozen bytes; a damaged size must not make us read more.
constexpr uint32_t kMaxFrameBytes = 4096;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\0'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

uint32_t bigEndian(const unsigned char* bytes, int count) {
    return Id3Bytes::BigEndian(reinterpret_cast<const char*>(bytes), count);
}

uint32_t synchsafe(const unsigned char* bytes) {
    return Id3Bytes::Synchsafe(reinterpret_cast<const char*>(bytes));
}

void removeUnsynchronisation(std::string& bytes) {
    Id3Bytes::RemoveUnsynchronisation(bytes, [](std::string& b, size_t n) { b.resize(n); });
}

// The text of one field of a TXXX body (description or value), in its encoding; UTF-16 is
// narrowed to its low bytes, which keeps the ASCII of names and numbers.
std::string_view nextField(std::string_view& body, char encoding, std::string& narrowed) {
    if (encoding != 1 && encoding != 2) {
        const size_t end = std::min(body.find('\0'), body.size());
        const std::string_view field = body.substr(0, end);
        body.remove_prefix(std::min(body.size(), end + 1));
        return field;
    }
    narrowed.clear();
    size_t i = 0;
    for (; i + 1 < body.size(); i += 2) {
        const char a = body[i], b = body[i + 1];
        if (a == 0 && b == 0)
            break;
        if ((a == '\xFF' && b == '\xFE') || (a == '\xFE' && b == '\xFF'))
            continue;  // byte order mark
        narrowed += a != 0 ? a : b;
    }
    body.remove_prefix(std::min(body.size(), i + 2));
    return narrowed;
}

std::optional<float> userTextGain(std::string_view body) {
    if (body.empty())
        return std::nullopt;
    const char encoding = body[0];
    body.remove_prefix(1);
    std::string narrowedName, narrowedValue;
    const std::string_view name = nextField(body, encoding, narrowedName);
    if (!equalsIgnoringCase(trimmed(name), "REPLAYGAIN_TRACK_GAIN"))
        return std::nullopt;
    return ReplayGain::parseDb(nextField(body, encoding, narrowedValue));
}

// RVA2: identification, then per channel a type byte, a signed 16-bit gain in 1/512 dB and a
// peak. The master volume (type 1) of the "track" adjustment is the track gain.
std::optional<float> relativeVolumeGain(std::string_view body) {
    const size_t nul = body.find('\0');
    if (nul == std::string_view::npos || !equalsIgnoringCase(body.substr(0, nul), "track"))
        return std::nullopt;
    size_t pos = nul + 1;
    while (pos + 4 <= body.size()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(body.data() + pos);
        const auto gain = static_cast<int16_t>(bigEndian(bytes + 1, 2));
        if (bytes[0] == 1)
            return std::clamp(float(gain) / 512.0f, -ReplayGain::kMaxDb, ReplayGain::kMaxDb);
        pos += 4 + (size_t(bytes[3]) + 7) / 8;
    }
    return std::nullopt;
}

}  // namespace

std::optional<float> ReplayGain::parseDb(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Digits only: from_chars would also take "nan", "inf" and hexadecimal.
    std::string number;
    size_t i = 0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            number += c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    std::string_view unit = trimmed(text.substr(i));
    if (!digits || !(unit.empty() || equalsIgnoringCase(unit, "dB")))
        return std::nullopt;
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    if (!std::isfinite(value))
        return std::nullopt;
    return std::clamp(float(negative ? -value : value), -kMaxDb, kMaxDb);
}

std::optional<float> ReplayGain::parseR128Db(std::string_view text) {
    text = trimmed(text);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < -32768 || value > 32767)
        return std::nullopt;
    return std::clamp(float(value) / 256.0f + 5.0f, -kMaxDb, kMaxDb);
}

float ReplayGain::linear(float db) {
    return std::pow(10.0f, std::clamp(db, -kMaxDb, kMaxDb) / 20.0f);
}

namespace {

// The track gain of the ID3v2 tag at `start` of the file.
std::optional<float> gainOfTagAt(std::ifstream& file, std::streamoff start) {
    unsigned char header[10];
    if (!file.seekg(start) || !file.read(reinterpret_cast<char*>(header), 10))
        return std::nullopt;
    const int major = header[3];
    if (header[0] != 'I' || header[1] != 'D' || header[2] != '3' || major < 2 || major > 4)
        return std::nullopt;
    const unsigned flags = header[5];
    // Before version 2.4 unsynchronisation covers the frame headers too; taggers that write
    // ReplayGain do not use it there.
    if ((major < 4 && (flags & 0x80)) || (major == 2 && (flags & 0x40)))
        return std::nullopt;
    const std::streamoff end = start + 10 + std::streamoff(synchsafe(header + 6));
    if (major >= 3 && (flags & 0x40)) {
        unsigned char size[4];
        if (!file.read(reinterpret_cast<char*>(size), 4))
            return std::nullopt;
        const uint32_t extended = major == 3 ? bigEndian(size, 4) : synchsafe(size) - 4;
        file.seekg(std::streamoff(extended), std::ios::cur);
    }

    const int idLength = major == 2 ? 3 : 4;
    const int headerLength = major == 2 ? 6 : 10;
    const std::string_view userText = major == 2 ? "TXX" : "TXXX";
    const std::string_view relativeVolume = "RVA2";
    std::optional<float> fromRelativeVolume;
    unsigned char frame[10];
    while (file.tellg() >= 0 && file.tellg() + std::streamoff(headerLength) <= end &&
           file.read(reinterpret_cast<char*>(frame), headerLength) && frame[0] != 0) {
        const std::string_view id(reinterpret_cast<const char*>(frame), size_t(idLength));
        const uint32_t size = major == 2
                                  ? bigEndian(frame + 3, 3)
                                  : (major == 4 ? synchsafe(frame + 4) : bigEndian(frame + 4, 4));
        const unsigned format = major == 2 ? 0 : frame[9];
        const bool plain =
            major == 2 || (major == 3 ? (format & 0xE0) == 0 : (format & 0x4D) == 0);  // no extras
        if (plain && size <= kMaxFrameBytes && (id == userText || id == relativeVolume)) {
            std::string body(size, '\0');
            if (!file.read(body.data(), size))
                break;
            if (major == 4 && ((flags & 0x80) || (format & 0x02)))
                removeUnsynchronisation(body);
            if (id == userText) {
                if (const auto gain = userTextGain(body))
                    return gain;
            } else if (!fromRelativeVolume) {
                fromRelativeVolume = relativeVolumeGain(body);
            }
            continue;
        }
        file.seekg(std::streamoff(size), std::ios::cur);
    }
    return fromRelativeVolume;
}

// A WAV file keeps its ID3v2 tag in a chunk "id3 " (or "ID3 ") of its RIFF list.
std::streamoff wavTagOffset(std::ifstream& file) {
    char riff[12];
    if (!file.read(riff, 12) || std::string_view(riff, 4) != "RIFF" ||
        std::string_view(riff + 8, 4) != "WAVE")
        return 0;
    unsigned char chunk[8];
    while (file.read(reinterpret_cast<char*>(chunk), 8)) {
        const std::string_view id(reinterpret_cast<const char*>(chunk), 4);
        const uint32_t size = uint32_t(chunk[4]) | uint32_t(chunk[5]) << 8 |
                              uint32_t(chunk[6]) << 16 | uint32_t(chunk[7]) << 24;
        if (id == "id3 " || id == "ID3 ")
            return file.tellg();
        if (!file.seekg(std::streamoff(size) + (size & 1), std::ios::cur))
            break;
    }
    return -1;
}

}  // namespace

std::optional<float> ReplayGain::id3v2TrackGainDb(const std::string& nativePath) {
    std::ifstream file(nativePath, std::ios::binary);
    const std::streamoff start = wavTagOffset(file);
    if (start < 0)
        return std::nullopt;
    file.clear();
    return gainOfTagAt(file, start);
}
