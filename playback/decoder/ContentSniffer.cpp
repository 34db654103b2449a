#include "ContentSniffer.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

bool startsWith(const unsigned char* data, size_t size, const char* magic, size_t offset = 0) {
    const size_t n = std::strlen(magic);
    return size >= offset + n && std::memcmp(data + offset, magic, n) == 0;
}

// Signatures that settle the question without a look at MPEG frames.
bool knownSignature(const unsigned char* d, size_t size, DecoderRoute& route) {
    if (startsWith(d, size, "RIFF") || startsWith(d, size, "RIFX") || startsWith(d, size, "RF64")) {
        if (startsWith(d, size, "WAVE", 8))
            route = DecoderRoute::Wave;
        else if (startsWith(d, size, "RMID", 8))
            route = DecoderRoute::Midi;
        else
            route = DecoderRoute::Ffmpeg;  // AVI, CD audio tracks and other RIFF forms
        return true;
    }
    if (startsWith(d, size, "MThd")) {
        route = DecoderRoute::Midi;
        return true;
    }
    static const char* const others[] = {"OggS",
                                         "fLaC",
                                         "\x1a\x45\xdf\xa3" /* Matroska, WebM */,
                                         "\x30\x26\xb2\x75" /* ASF */,
                                         "FORM" /* AIFF */,
                                         "MAC ",
                                         "wvpk",
                                         "MPCK",
                                         "TTA1",
                                         "tBaK" /* TAK */,
                                         "DSD " /* DSF */,
                                         "FRM8" /* DSDIFF */,
                                         ".snd",
                                         "#!AMR",
                                         "caff"};
    for (const char* magic : others) {
        if (startsWith(d, size, magic)) {
            route = DecoderRoute::Ffmpeg;
            return true;
        }
    }
    if (startsWith(d, size, "ftyp", 4)) {  // MP4, M4A, 3GP
        route = DecoderRoute::Ffmpeg;
        return true;
    }
    return false;
}

}  // namespace

size_t ContentSniffer::mpegFrame(const unsigned char* h, int* sampleRate, int* samples) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (h[1] >> 3) & 3;  // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = (h[1] >> 1) & 3;    // 1: III, 2: II, 3: I, 0: reserved
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static const int kbps[2][3][15] = {
        {// MPEG-1: layers I, II, III
         {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {// MPEG-2 and 2.5
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int rate = rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int layerIndex = 3 - layer;  // 0: I, 1: II, 2: III
    const long bitrate = kbps[mpeg1 ? 0 : 1][layerIndex][bitrateIndex] * 1000L;
    const int padding = (h[2] >> 1) & 1;
    if (sampleRate)
        *sampleRate = rate;
    if (samples)
        *samples = layerIndex == 0 ? 384 : (layerIndex == 1 || mpeg1) ? 1152 : 576;
    if (layerIndex == 0)
        return size_t((12 * bitrate / rate + padding) * 4);
    const long perFrame = (layerIndex == 2 && !mpeg1) ? 72 : 144;
    return size_t(perFrame * bitrate / rate + padding);
}

namespace {

// Version, layer and sample rate: what consecutive frames of one stream share.
bool sameStream(const unsigned char* a, const unsigned char* b) {
    return (a[1] & 0xFE) == (b[1] & 0xFE) && ((a[2] ^ b[2]) & 0x0C) == 0;
}

// A valid header followed by valid headers of the same stream where the frame lengths say.
// Three in a row are wanted. A chain that runs past the bytes seen (a short file, a cut head)
// counts with two headers, or with one at the very start: one header alone somewhere in the
// last kilobyte of random data is far too likely.
bool frameChainAt(const unsigned char* d, size_t size, size_t pos) {
    constexpr int kWanted = 3;
    const size_t first = pos;
    for (int found = 0; found < kWanted; ++found) {
        if (pos + 4 > size)
            return found >= 2 || (found == 1 && first == 0);
        const size_t length = ContentSniffer::mpegFrame(d + pos);
        if (length < 4 || (found > 0 && !sameStream(d + first, d + pos)))
            return false;
        pos += length;
    }
    return true;
}

bool findFrames(const unsigned char* d, size_t size) {
    for (size_t pos = 0; pos + 4 <= size; ++pos) {
        if (d[pos] == 0xFF && frameChainAt(d, size, pos))
            return true;
    }
    return false;
}

}  // namespace

size_t ContentSniffer::id3v2Length(const unsigned char* head, size_t size) {
    if (size < 10 || !startsWith(head, size, "ID3") || head[3] == 0xFF || head[4] == 0xFF)
        return 0;
    size_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (head[i] & 0x80)
            return 0;  // not a synch-safe size: not a tag
        body = (body << 7) | head[i];
    }
    const bool footer = (head[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

DecoderRoute ContentSniffer::routeAfterTag(const unsigned char* data, size_t size) {
    DecoderRoute route = DecoderRoute::Ffmpeg;
    if (knownSignature(data, size, route))
        return route;
    // Encoders pad a tag with zeros; an empty rest (the tag ran past what was read) is
    // still most likely an MP3.
    if (size == 0 || findFrames(data, size))
        return DecoderRoute::Mpeg;
    return DecoderRoute::Ffmpeg;
}

DecoderRoute ContentSniffer::route(const unsigned char* head, size_t size) {
    DecoderRoute route = DecoderRoute::Ffmpeg;
    if (knownSignature(head, size, route))
        return route;
    const size_t tag = id3v2Length(head, size);
    if (tag > 0)
        return tag < size ? routeAfterTag(head + tag, size - tag) : DecoderRoute::Mpeg;
    return findFrames(head, size) ? DecoderRoute::Mpeg : DecoderRoute::Ffmpeg;
}

DecoderRoute ContentSniffer::routeOfFile(const std::string& nativePath) {
    std::error_code ec;
    // A FIFO or a device named like a song must not block the caller.
    if (!std::filesystem::is_regular_file(nativePath, ec))
        return DecoderRoute::Ffmpeg;
    std::ifstream in(nativePath, std::ios::binary);
    std::vector<unsigned char> head(kHeadBytes);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    // Several tags may follow each other; each is skipped to the audio behind it.
    size_t offset = 0;
    for (int tags = 0; tags < 4; ++tags) {
        const size_t tag = id3v2Length(head.data(), head.size());
        if (tag == 0)
            break;
        if (tag < head.size()) {
            head.erase(head.begin(), head.begin() + std::ptrdiff_t(tag));
            const size_t have = head.size();
            head.resize(kHeadBytes);
            in.read(reinterpret_cast<char*>(head.data() + have),
                    std::streamsize(kHeadBytes - have));
            head.resize(have + size_t(in.gcount()));
        } else {
            in.clear();
            in.seekg(std::streamoff(offset + tag));
            head.assign(kHeadBytes, 0);
            in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
            head.resize(size_t(in.gcount()));
        }
        offset += tag;
        if (id3v2Length(head.data(), head.size()) == 0)
            return routeAfterTag(head.data(), head.size());
    }
    return route(head.data(), head.size());
}
