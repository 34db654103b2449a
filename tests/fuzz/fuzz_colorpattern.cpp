// Feeds arbitrary bytes to the colour-pattern reader as a pattern file.
#include "FuzzInputFile.h"
#include "settings/ColorPattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile input("colorpattern");
    static FuzzInputFile output("colorpattern_saved");
    input.write(data, size);
    ColorPattern::Colors untouched;
    untouched.fill(0x5A5A5A);
    ColorPattern::Colors colors = untouched;
    if (!ColorPattern::ReadColorPattern(input.qpath(), colors)) {
        // A file it cannot read leaves the colours being edited as they were.
        FUZZ_CHECK(colors == untouched);
        return 0;
    }
    // What was read saves and reads back to the same colours.
    FUZZ_CHECK(ColorPattern::WriteColorPattern(output.qpath(), colors));
    ColorPattern::Colors reread = untouched;
    FUZZ_CHECK(ColorPattern::ReadColorPattern(output.qpath(), reread));
    FUZZ_CHECK(reread == colors);
    return 0;
}
