// Feeds arbitrary bytes to the choice of decoder by content, as a file's start and as a file.
#include "FuzzInputFile.h"
#include "playback/decoder/ContentSniffer.h"

#include <cstring>

namespace {

bool IsRoute(DecoderRoute route) {
    return route == DecoderRoute::Wave || route == DecoderRoute::Mpeg ||
           route == DecoderRoute::Midi || route == DecoderRoute::Ffmpeg;
}

bool StartsWith(const uint8_t* data, size_t size, const char* magic, size_t offset = 0) {
    const size_t n = std::strlen(magic);
    return size >= offset + n && std::memcmp(data + offset, magic, n) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile file("sniffer");
    const DecoderRoute route = ContentSniffer::route(data, size);
    FUZZ_CHECK(IsRoute(route));
    FUZZ_CHECK(IsRoute(ContentSniffer::routeAfterTag(data, size)));
    if (StartsWith(data, size, "MThd") ||
        (StartsWith(data, size, "RIFF") && StartsWith(data, size, "RMID", 8)))
        FUZZ_CHECK(route == DecoderRoute::Midi);
    if (StartsWith(data, size, "RIFF") && StartsWith(data, size, "WAVE", 8))
        FUZZ_CHECK(route == DecoderRoute::Wave);

    const size_t tag = ContentSniffer::id3v2Length(data, size);
    FUZZ_CHECK(tag == 0 || tag >= 10);
    if (size >= 4) {
        int rate = 0, samples = 0;
        if (const size_t length = ContentSniffer::mpegFrame(data, &rate, &samples)) {
            FUZZ_CHECK(length >= 4 && length < 8192);
            FUZZ_CHECK(rate >= 8000 && rate <= 48000);
            FUZZ_CHECK(samples == 384 || samples == 576 || samples == 1152);
        }
    }

    // A file without a tag that fits in the bytes read gets the same route as its bytes.
    file.write(data, size);
    const DecoderRoute ofFile = ContentSniffer::routeOfFile(file.path());
    FUZZ_CHECK(IsRoute(ofFile));
    if (tag == 0 && size <= ContentSniffer::kHeadBytes)
        FUZZ_CHECK(ofFile == route);
    return 0;
}
