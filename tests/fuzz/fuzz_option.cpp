// Feeds arbitrary bytes to the settings reader as the settings file.
#include "FuzzInputFile.h"
#include "settings/clsOption.h"

#include <QFile>

namespace {

QByteArray SavedBytes(const clsOption& option, const FuzzInputFile& file) {
    FUZZ_CHECK(option.WriteOption(file.qpath()));
    QFile saved(file.qpath());
    FUZZ_CHECK(saved.open(QIODevice::ReadOnly));
    return saved.readAll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile input("option");
    static FuzzInputFile output("option_saved");
    input.write(data, size);
    clsOption option;
    FUZZ_CHECK(option.ReadOption(input.qpath()));
    // Whatever was read is saved, and the saved file reads back to the same settings: a
    // damaged file may lose values once, never again at every start.
    const QByteArray first = SavedBytes(option, output);
    clsOption reread;
    FUZZ_CHECK(reread.ReadOption(output.qpath()));
    FUZZ_CHECK(SavedBytes(reread, output) == first);
    return 0;
}
