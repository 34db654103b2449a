// Feeds arbitrary bytes to the ReplayGain readers: as the text of a gain tag, as an Opus gain and
// as a file with an ID3v2 tag (bare or in a WAV file's "id3 " chunk).
#include "FuzzInputFile.h"
#include "playback/output/ReplayGain.h"

#include <cmath>
#include <string_view>

namespace {

bool Bounded(std::optional<float> db) {
    return !db || (std::isfinite(*db) && std::fabs(*db) <= ReplayGain::kMaxDb);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile file("replaygain");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<float> db = ReplayGain::parseDb(text);
    FUZZ_CHECK(Bounded(db));
    if (db) {
        // A gain is a number with at most a unit after it; letters are no gain.
        FUZZ_CHECK(text.find_first_of("0123456789") != std::string_view::npos);
        const float linear = ReplayGain::linear(*db);
        FUZZ_CHECK(std::isfinite(linear) && linear > 0);
    }
    FUZZ_CHECK(Bounded(ReplayGain::parseR128Db(text)));
    file.write(data, size);
    FUZZ_CHECK(Bounded(ReplayGain::id3v2TrackGainDb(file.path())));
    return 0;
}
