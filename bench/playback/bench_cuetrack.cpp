#include "playback/clsZAPT_MMC.h"
#include "support/MciMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// What the file opener pays to open a track of a 70-minute disc image (the sheet read, the
// image opened, one seek to the track) against opening the image itself. The image is silence,
// which FLAC stores in almost nothing, so the seek finds less to skip than in a real rip.
namespace {

constexpr int kTracks = 20;  // 3.5 minutes each

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

const QString& image() {
    static const QString path = [] {
        const QString flac = folder().filePath(QStringLiteral("disc.flac"));
        MciMedia::Tone tone;
        tone.seconds = 70 * 60;
        tone.amplitude = 0.0;
        MciMedia::writeTone(flac, "flac", tone);
        QByteArray sheet = "FILE \"disc.flac\" WAVE\n";
        for (int n = 1; n <= kTracks; ++n) {
            const int minutes = (n - 1) * 7 / 2, seconds = (n - 1) % 2 * 30;
            sheet += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:00\n")
                         .arg(n, 2, 10, QLatin1Char('0'))
                         .arg(minutes, 2, 10, QLatin1Char('0'))
                         .arg(seconds, 2, 10, QLatin1Char('0'))
                         .toUtf8();
        }
        QFile cue(folder().filePath(QStringLiteral("disc.cue")));
        if (cue.open(QIODevice::WriteOnly))
            cue.write(sheet);
        return flac;
    }();
    return path;
}

void BM_OpenImage(benchmark::State& state) {
    const QString path = image();
    for (auto _ : state)
        benchmark::DoNotOptimize(clsZAPT_MMC::Prepare(path));
}
BENCHMARK(BM_OpenImage)->Unit(benchmark::kMillisecond);

// The first track, one in the middle, the last.
void BM_OpenTrack(benchmark::State& state) {
    image();
    const QString path = folder().filePath(QStringLiteral("disc.cue?%1").arg(state.range(0)));
    for (auto _ : state) {
        clsZAPT_MMC::Prepared song = clsZAPT_MMC::Prepare(path);
        if (!song.source)
            state.SkipWithError("the track did not open");
        benchmark::DoNotOptimize(song);
    }
}
BENCHMARK(BM_OpenTrack)->Arg(1)->Arg(kTracks / 2)->Arg(kTracks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
