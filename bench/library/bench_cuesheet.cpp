// Reading a disc's cue sheet from disk and laying out its tracks: a 20-track Shift_JIS sheet of
// the kind Windows rippers write, beside a bare read of the same file.
#include "core/FileAccess.h"
#include "core/modZAUtil.h"
#include "library/CueSheet.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <benchmark/benchmark.h>

namespace {

// The sheet and an empty image beside it, written once per run.
const QString& sheetPath() {
    static const QString path = [] {
        const QString folder = QDir::temp().filePath(QStringLiteral("zapt-bench-cuesheet"));
        QDir().mkpath(folder);
        QString text =
            QStringLiteral("REM GENRE J-Pop\r\nREM DATE 2004\r\nREM DISCID 1A0B2C14\r\n"
                           "REM COMMENT \"ExactAudioCopy v0.99pb5\"\r\n"
                           "PERFORMER \"山田花子\"\r\nTITLE \"春の歌 ～季節のうた～\"\r\n"
                           "FILE \"山田花子 - 春の歌.wav\" WAVE\r\n");
        for (int t = 1; t <= 20; ++t) {
            const int start = (t - 1) * 225;  // seconds
            text += QStringLiteral("  TRACK %1 AUDIO\r\n    TITLE \"第%2曲 春の風と桜の花\"\r\n"
                                   "    PERFORMER \"山田花子\"\r\n    ISRC JPA000400%3\r\n")
                        .arg(t, 2, 10, QLatin1Char('0'))
                        .arg(t)
                        .arg(t, 3, 10, QLatin1Char('0'));
            if (t > 1)
                text += QStringLiteral("    INDEX 00 %1:%2:00\r\n")
                            .arg((start - 2) / 60, 2, 10, QLatin1Char('0'))
                            .arg((start - 2) % 60, 2, 10, QLatin1Char('0'));
            text += QStringLiteral("    INDEX 01 %1:%2:00\r\n")
                        .arg(start / 60, 2, 10, QLatin1Char('0'))
                        .arg(start % 60, 2, 10, QLatin1Char('0'));
        }
        QStringEncoder sjis("Shift_JIS");
        const QString cue = QDir(folder).filePath(QStringLiteral("disc.cue"));
        QFile file(cue);
        if (!file.open(QIODevice::WriteOnly) || file.write(sjis(text)) <= 0)
            std::abort();
        QFile image(QDir(folder).filePath(QStringLiteral("山田花子 - 春の歌.flac")));
        if (!image.open(QIODevice::WriteOnly))  // renamed from .wav after ripping
            std::abort();
        return cue;
    }();
    return path;
}

void BM_ReadCueSheet_Floor_ReadBytes(benchmark::State& state) {
    const QString path = sheetPath();
    for (auto _ : state) {
        QByteArray bytes;
        modZAUtil::ReadFileBytes(path, bytes, CueSheet::kMaxBytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_ReadCueSheet(benchmark::State& state) {
    const QString path = sheetPath();
    for (auto _ : state) {
        const auto sheet = CueSheet::ReadFile(path);
        benchmark::DoNotOptimize(sheet->files.size());
    }
}

// What listing the disc costs: the read, the image looked for on disk, the tracks laid out.
void BM_ReadCueSheetAndListTracks(benchmark::State& state) {
    const QString path = sheetPath();
    const QString folder = QFileInfo(path).path();
    for (auto _ : state) {
        const auto sheet = CueSheet::ReadFile(path);
        const auto tracks = CueSheet::Tracks(*sheet, folder, modZAUtil::FileExists);
        if (tracks.size() != 20)
            state.SkipWithError("the sheet did not give 20 tracks");
        benchmark::DoNotOptimize(tracks.data());
    }
}

}  // namespace

BENCHMARK(BM_ReadCueSheet_Floor_ReadBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadCueSheet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadCueSheetAndListTracks)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
