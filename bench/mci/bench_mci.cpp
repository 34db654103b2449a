#include "playback/mci/FfmpegSource.h"
#include "playback/mci/MidiSource.h"
#include "support/MciMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

// What the UI thread pays when the media-control object opens a file, and how fast the decode
// thread turns each format into samples.
namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString toneFile(const char* encoder, const char* extension) {
    const QString path =
        folder().filePath(QStringLiteral("tone.") + QString::fromLatin1(extension));
    MciMedia::Tone tone;
    tone.seconds = 30;
    MciMedia::writeTone(path, encoder, tone);
    return path;
}

QString midiFile() {
    const QString path = folder().filePath(QStringLiteral("song.mid"));
    MciMedia::Midi midi;
    midi.notes.assign(120, 69);  // 60 s at 120 beats a minute
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(MciMedia::midiFile(midi));
    return path;
}

void BM_OpenWma(benchmark::State& state) {
    const QString path = toneFile("wmav2", "wma");
    for (auto _ : state)
        benchmark::DoNotOptimize(FfmpegSource::open(path));
}
BENCHMARK(BM_OpenWma)->Unit(benchmark::kMillisecond);

void BM_OpenMidi(benchmark::State& state) {
    const QString path = midiFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(MidiSource::open(path));
}
BENCHMARK(BM_OpenMidi)->Unit(benchmark::kMillisecond);

template <class Open> void decodeAll(benchmark::State& state, Open open) {
    std::vector<float> buffer(4096 * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        auto source = open();
        long got = 0;
        while ((got = source->read(buffer.data(), 4096)) > 0)
            frames += got;
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}

void BM_DecodeWma30s(benchmark::State& state) {
    const QString path = toneFile("wmav2", "wma");
    decodeAll(state, [&] { return FfmpegSource::open(path); });
}
BENCHMARK(BM_DecodeWma30s)->Unit(benchmark::kMillisecond);

void BM_DecodeFlac30s(benchmark::State& state) {
    const QString path = toneFile("flac", "flac");
    decodeAll(state, [&] { return FfmpegSource::open(path); });
}
BENCHMARK(BM_DecodeFlac30s)->Unit(benchmark::kMillisecond);

void BM_RenderMidi60s(benchmark::State& state) {
    const QString path = midiFile();
    decodeAll(state, [&] { return MidiSource::open(path); });
}
BENCHMARK(BM_RenderMidi60s)->Unit(benchmark::kMillisecond);

void BM_SeekWma(benchmark::State& state) {
    auto source = FfmpegSource::open(toneFile("wmav2", "wma"));
    std::vector<float> buffer(1024 * 2);
    int64_t target = 0;
    for (auto _ : state) {
        target = (target + 44100 * 7) % (44100 * 29);
        source->seek(target);
        benchmark::DoNotOptimize(source->read(buffer.data(), 1024));
    }
}
BENCHMARK(BM_SeekWma)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
