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

// A TXXX frame naming one of the four ReplayGain values stores it in `tags` (the first such
// frame of each name counts).
void readUserText(std::string_view body, ReplayGainTags& tags) {
    if (body.empty())
        return;
    const char encoding = body[0];
    body.remove_prefix(1);
    std::string narrowedName, narrowedValue;
    const std::string_view name = trimmed(nextField(body, encoding, narrowedName));
    const struct {
        std::string_view name;
        std::optional<float> ReplayGainTags::*field;
        bool peak;
    } fields[] = {{"REPLAYGAIN_TRACK_GAIN", &ReplayGainTags::trackDb, false},
                  {"REPLAYGAIN_ALBUM_GAIN", &ReplayGainTags::albumDb, false},
                  {"REPLAYGAIN_TRACK_PEAK", &ReplayGainTags::trackPeak, true},
                  {"REPLAYGAIN_ALBUM_PEAK", &ReplayGainTags::albumPeak, true}};
    for (const auto& f : fields) {
        if (!equalsIgnoringCase(name, f.name) || tags.*f.field)
            continue;
        const std::string_view value = nextField(body, encoding, narrowedValue);
        tags.*f.field = f.peak ? ReplayGain::parsePeak(value) : ReplayGain::parseDb(value);
        return;
    }
}

// RVA2: identification, then per channel a type byte, a signed 16-bit gain in 1/512 dB and a
// peak. The master volume (type 1) of the "track" adjustment is the track gain, of the
// "album" adjustment the album gain.
std::optional<float> relativeVolumeGain(std::string_view body) {
    size_t pos = 0;
    while (pos + 4 <= body.size()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(body.data() + pos);
        const auto gain = static_cast<int16_t>(bigEndian(bytes + 1, 2));
        if (bytes[0] == 1)
            return std::clamp(float(gain) / 512.0f, -ReplayGain::kMaxDb, ReplayGain::kMaxDb);
        pos += 4 + (size_t(bytes[3]) + 7) / 8;
    }
    return std::nullopt;
}

void readRelativeVolume(std::string_view body, ReplayGainTags& fromRelativeVolume) {
    const size_t nul = body.find('\0');
    if (nul == std::string_view::npos)
        return;
    const std::string_view identification = body.substr(0, nul);
    std::optional<float>* gain =
        equalsIgnoringCase(identification, "track")   ? &fromRelativeVolume.trackDb
        : equalsIgnoringCase(identification, "album") ? &fromRelativeVolume.albumDb
                                                      : nullptr;
    if (!gain || *gain)
        return;
    *gain = relativeVolumeGain(body.substr(nul + 1));
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

std::optional<float> ReplayGain::parsePeak(std::string_view text) {
    text = trimmed(text);
    std::string number;
    bool digits = false, point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
        number += c;
    }
    double value = 0;
    if (!digits)
        return std::nullopt;
    std::from_chars(number.data(), number.data() + number.size(), value);
    if (!(value > 0 && value <= 64))
        return std::nullopt;
    return float(value);
}

float ReplayGain::linear(float db) {
    return std::pow(10.0f, std::clamp(db, -kMaxDb, kMaxDb) / 20.0f);
}

float ReplayGain::factor(const ReplayGainTags& tags, const Settings& settings) {
    const bool album =
        settings.mode == Mode::Album || (settings.mode == Mode::AlbumInOrder && !settings.shuffled);
    if (settings.mode == Mode::Off || !tags.hasGain())
        return 1.0f;
    const bool useAlbum = album ? tags.albumDb.has_value() : !tags.trackDb;
    const float db = *(useAlbum ? tags.albumDb : tags.trackDb) +
                     std::clamp(settings.preampDb, -kMaxPreampDb, kMaxPreampDb);
    float gain = linear(db);
    const std::optional<float> peak = useAlbum ? (tags.albumPeak ? tags.albumPeak : tags.trackPeak)
                                               : (tags.trackPeak ? tags.trackPeak : tags.albumPeak);
    if (settings.preventClipping && peak && gain * *peak > 1.0f)
        gain = 1.0f / *peak;
    return gain;
}

namespace {

// The gains of the ID3v2 tag at `start` of the file; `end` is set past the tag.
ReplayGainTags tagsOfTagAt(std::ifstream& file, std::streamoff start, std::streamoff& tagEnd) {
    ReplayGainTags tags;
    unsigned char header[10];
    if (!file.seekg(start) || !file.read(reinterpret_cast<char*>(header), 10))
        return tags;
    const int major = header[3];
    if (header[0] != 'I' || header[1] != 'D' || header[2] != '3' || major < 2 || major > 4)
        return tags;
    tagEnd = start + 10 + std::streamoff(synchsafe(header + 6)) + ((header[5] & 0x10) ? 10 : 0);
    const unsigned flags = header[5];
    // Before version 2.4 unsynchronisation covers the frame headers too; taggers that write
    // ReplayGain do not use it there.
    if ((major < 4 && (flags & 0x80)) || (major == 2 && (flags & 0x40)))
        return tags;
    const std::streamoff end = start + 10 + std::streamoff(synchsafe(header + 6));
    if (major >= 3 && (flags & 0x40)) {
        unsigned char size[4];
        if (!file.read(reinterpret_cast<char*>(size), 4))
            return tags;
        const uint32_t extended = major == 3 ? bigEndian(size, 4) : synchsafe(size) - 4;
        file.seekg(std::streamoff(extended), std::ios::cur);
    }

    const int idLength = major == 2 ? 3 : 4;
    const int headerLength = major == 2 ? 6 : 10;
    const std::string_view userText = major == 2 ? "TXX" : "TXXX";
    const std::string_view relativeVolume = "RVA2";
    ReplayGainTags fromRelativeVolume;
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
            if (id == userText)
                readUserText(body, tags);
            else
                readRelativeVolume(body, fromRelativeVolume);
            continue;
        }
        file.seekg(std::streamoff(size), std::ios::cur);
    }
    // A TXXX value wins over the RVA2 frame of the same adjustment.
    if (!tags.trackDb)
        tags.trackDb = fromRelativeVolume.trackDb;
    if (!tags.albumDb)
        tags.albumDb = fromRelativeVolume.albumDb;
    return tags;
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
    return id3v2Tags(nativePath).trackDb;
}

ReplayGainTags ReplayGain::id3v2Tags(const std::string& nativePath) {
    std::ifstream file(nativePath, std::ios::binary);
    const std::streamoff start = wavTagOffset(file);
    if (start < 0)
        return {};
    file.clear();
    std::streamoff end = 0;
    return tagsOfTagAt(file, start, end);
}

namespace {

// LAME's gain field: a name (1 radio, 2 audiophile), who set it, a sign and tenths of a dB.
std::optional<float> lameGain(uint32_t field, unsigned name) {
    if ((field >> 13) != name)
        return std::nullopt;
    const float db = float(field & 0x1FF) / 10.0f;
    return (field & 0x200) ? -db : db;
}

}  // namespace

ReplayGainTags ReplayGain::lameTags(std::string_view frame) {
    ReplayGainTags tags;
    const auto* bytes = reinterpret_cast<const unsigned char*>(frame.data());
    const size_t size = frame.size();
    // An MPEG layer III frame header: sync, version (1, 2 or 2.5), channel mode.
    if (size < 4 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0 || ((bytes[1] >> 1) & 3) != 1 ||
        ((bytes[1] >> 3) & 3) == 1)
        return tags;
    const bool mpeg1 = ((bytes[1] >> 3) & 3) == 3;
    const bool mono = (bytes[3] >> 6) == 3;
    // The Xing/Info header follows the side information.
    size_t pos = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (pos + 8 > size)
        return tags;
    const std::string_view id = frame.substr(pos, 4);
    if (id != "Xing" && id != "Info")
        return tags;
    const uint32_t flags = bigEndian(bytes + pos + 4, 4);
    pos += 8;
    // Frame count, byte count, seek table and quality, each when its flag says so.
    for (const auto& [bit, length] : {std::pair{1u, 4}, {2u, 4}, {4u, 100}, {8u, 4}})
        if (flags & bit)
            pos += size_t(length);
    // The LAME extension: a 9-byte encoder name, revision and method, low-pass, the peak
    // (8.23 fixed point), the radio and the audiophile gains.
    if (pos + 19 > size || frame.substr(pos, 4) != "LAME")
        return tags;
    const std::string_view version = frame.substr(pos + 4, 4);  // "3.99", "3.10" of 3.100
    int minor = 0;
    if (version.substr(0, 2) == "3.")
        std::from_chars(version.data() + 2, version.data() + 4, minor);
    // From 3.90 to 3.94 LAME measured against 83 dB, 6 dB below the reference since, and
    // stored the peak in another form.
    const bool early = minor >= 90 && minor < 95;
    const float offsetDb = early ? 6.0f : 0.0f;
    const auto shifted = [&](std::optional<float> db) -> std::optional<float> {
        if (!db)
            return db;
        return std::clamp(*db + offsetDb, -kMaxDb, kMaxDb);
    };
    tags.trackDb = shifted(lameGain(bigEndian(bytes + pos + 15, 2), 1));
    tags.albumDb = shifted(lameGain(bigEndian(bytes + pos + 17, 2), 2));
    const float peak = float(bigEndian(bytes + pos + 11, 4)) / float(1 << 23);
    if (!early && peak > 0 && peak <= 64 && tags.hasGain())
        tags.trackPeak = peak;
    return tags;
}

ReplayGainTags ReplayGain::fileTags(const std::string& nativePath) {
    std::ifstream file(nativePath, std::ios::binary);
    const std::streamoff start = wavTagOffset(file);
    if (start < 0)
        return {};
    file.clear();
    std::streamoff tagEnd = 0;
    ReplayGainTags tags = tagsOfTagAt(file, start, tagEnd);
    if (tags.hasGain() || start > 0)
        return tags;
    // The first frame of an MP3, after its tag: its Xing/Info header is at most a few hundred
    // bytes in.
    std::string frame(512, '\0');
    file.clear();
    if (!file.seekg(tagEnd))
        return tags;
    file.read(frame.data(), std::streamsize(frame.size()));
    frame.resize(size_t(std::max<std::streamsize>(file.gcount(), 0)));
    const ReplayGainTags lame = lameTags(frame);
    tags.trackDb = lame.trackDb;
    tags.albumDb = lame.albumDb;
    if (!tags.trackPeak)
        tags.trackPeak = lame.trackPeak;
    return tags;
}
