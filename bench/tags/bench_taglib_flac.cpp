// The cost of clsTagInfo::GetTagInfo on one local FLAC file with Vorbis comments: what the tag
// label waits for at a song change.
#include "support/MciMedia.h"
#include "tags/clsTagInfo.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <fileref.h>
#include <tpropertymap.h>

namespace {

void BM_clsTagInfoFlac(benchmark::State& state) {
    const QString path = QDir::tempPath() + QStringLiteral("/zapt_bench_tag.flac");
    MciMedia::Tone tone;
    tone.seconds = 30;
    if (!MciMedia::writeTone(path, "flac", tone))
        return state.SkipWithError("no FLAC encoder");
    {
        TagLib::FileRef file(QFile::encodeName(path).constData(), false);
        TagLib::PropertyMap tags;
        const auto utf8 = [](const char* s) {
            return TagLib::StringList(TagLib::String(s, TagLib::String::UTF8));
        };
        tags["TITLE"] = utf8("春の風");
        tags["ARTIST"] = utf8("風の楽団");
        tags["ALBUM"] = utf8("四季");
        tags["TRACKNUMBER"] = utf8("3");
        tags["DATE"] = utf8("2001");
        file.file()->setProperties(tags);
        file.save();
    }
    for (auto _ : state) {
        clsTagInfo tag;
        tag.GetTagInfo(path);
        benchmark::DoNotOptimize(tag.Title);
    }
    QFile::remove(path);
}
BENCHMARK(BM_clsTagInfoFlac)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
