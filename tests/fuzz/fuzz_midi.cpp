// Feeds arbitrary bytes to the MIDI tempo-map reader.
#include "FuzzInputFile.h"
#include "playback/mci/MidiTimeline.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiTimeline timeline;
    if (!timeline.parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    const int64_t last = timeline.lastTick();
    FUZZ_CHECK(last >= 0);
    const double length = timeline.lengthSeconds();
    FUZZ_CHECK(std::isfinite(length) && length >= 0);
    // Time only moves forward, and ticks and seconds convert back and forth: within the tick
    // lost to rounding down, or where a tempo makes ticks shorter than a double can tell apart
    // at that time, to the same seconds.
    double before = 0;
    for (int64_t tick : {int64_t(0), last / 3, last / 2, last - 1, last}) {
        if (tick < 0)
            continue;
        const double seconds = timeline.secondsAt(tick);
        FUZZ_CHECK(std::isfinite(seconds) && seconds >= before);
        before = seconds;
        const int64_t back = timeline.tickAt(seconds);
        FUZZ_CHECK((back >= tick - 1 && back <= tick + 1) ||
                   std::fabs(timeline.secondsAt(back) - seconds) <= 1e-12 * seconds);
    }
    FUZZ_CHECK(timeline.tickAt(-1.0) == 0);
    return 0;
}
