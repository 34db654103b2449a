#pragma once

#include <cstddef>
#include <string>

// Which decoder a file's first bytes ask for, whatever the file is called.
enum class DecoderRoute {
    Wave,    // RIFF/RIFX/RF64 WAVE: libsndfile
    Mpeg,    // MPEG audio frames, possibly behind an ID3v2 tag: libmpg123
    Midi,    // a Standard MIDI File, bare or RIFF-wrapped (RMID): FluidSynth
    Ffmpeg,  // everything else, FFmpeg finds out what it is
};

// Pure functions of the bytes given, so that any input (short, cut, hostile) gives an answer.
// libmpg123 finds "frames" in almost any data, so MPEG is chosen only on real evidence: an
// ID3v2 tag, or a run of consecutive valid frame headers.
class ContentSniffer {
public:
    // How many bytes from the start (and after an ID3v2 tag) route() wants to see.
    static constexpr size_t kHeadBytes = 8192;

    static DecoderRoute route(const unsigned char* head, size_t size);
    // The bytes after an ID3v2 tag: another format's signature wins, else MPEG frames if
    // any are found, else FFmpeg (which also reads MP3 that starts with junk).
    static DecoderRoute routeAfterTag(const unsigned char* data, size_t size);
    // Bytes of the ID3v2 tag at the start (header, body and footer); 0 when there is none.
    static size_t id3v2Length(const unsigned char* head, size_t size);
    // Length in bytes of the MPEG audio frame whose 4-byte header is at `h`, with its sample
    // rate and samples per channel; 0 when it is no valid header (free format included: its
    // length is not in the header).
    static size_t mpegFrame(const unsigned char* h, int* sampleRate = nullptr,
                            int* samples = nullptr);
    // Reads the file's start (and the bytes after a long ID3v2 tag). A file that cannot be
    // read, or is not a regular file, goes to FFmpeg, which fails on it like on any other.
    static DecoderRoute routeOfFile(const std::string& nativePath);
};
