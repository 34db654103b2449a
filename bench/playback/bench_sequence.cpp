// The silence between two songs when the playlist goes on by itself (PlayNextSong with a blank
// time of 0), and how close a set blank time comes to its length, both read from the samples
// SDL's disk driver wrote.
#include "gui/MainWindowDriver.h"
#include "gui/frmMain.h"
#include "playback/PlayerController.h"
#include "support/FakeDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int kRate = 44100;

void writeTone(const QString& path, double seconds, double hz) {
    const int frames = static_cast<int>(seconds * kRate);
    QByteArray data(frames * 4, '\0');
    auto* s = reinterpret_cast<qint16*>(data.data());
    for (int i = 0; i < frames; ++i)
        s[2 * i] = s[2 * i + 1] =
            qToLittleEndian(static_cast<qint16>(8000 * std::sin(2 * M_PI * hz * i / kRate)));
    QByteArray h("RIFF");
    auto u32 = [&h](quint32 v) {
        v = qToLittleEndian(v);
        h.append(reinterpret_cast<char*>(&v), 4);
    };
    auto u16 = [&h](quint16 v) {
        v = qToLittleEndian(v);
        h.append(reinterpret_cast<char*>(&v), 2);
    };
    u32(36 + data.size());
    h += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(2);
    u32(kRate);
    u32(kRate * 4);
    u16(4);
    u16(16);
    h += "data";
    u32(data.size());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    f.write(h + data);
}

// Runs of silence between runs of sound, in frames (a lone zero is a sine's own crossing).
std::vector<long> silences(const QByteArray& raw) {
    const auto* samples = reinterpret_cast<const float*>(raw.constData());
    const long frames = raw.size() / 8;
    std::vector<long> gaps;
    long lastSound = -1;
    for (long f = 0; f < frames; ++f) {
        if (std::fabs(samples[2 * f]) > 1e-4f || std::fabs(samples[2 * f + 1]) > 1e-4f) {
            if (lastSound >= 0 && f - lastSound > 2)
                gaps.push_back(f - lastSound - 1);
            lastSound = f;
        }
    }
    return gaps;
}

// A player in `dir` whose playlist is `songs` short tones, all songs, no repeat.
std::unique_ptr<frmMain> playerWithTones(const QTemporaryDir& dir, int songs, int blankMs) {
    QStringList list;
    for (int i = 0; i < songs; ++i) {
        const QString p = dir.filePath(QStringLiteral("t%1.wav").arg(i));
        writeTone(p, 0.3, i % 2 ? 660 : 440);
        list << p;
    }
    clsOption o;
    o.setPlayNumber(1);
    o.setRepeatMode(1);
    o.setBlankSec(static_cast<int16_t>(blankMs));
    o.WriteOption(dir.filePath(QStringLiteral("ZAopt.inf")));
    auto w = std::make_unique<frmMain>(dir.path(), QString(), std::make_unique<FakeDialogs>());
    if (!w->Form_Load())
        std::abort();
    w->PlayList.assign(list);
    ui(*w).RefreshPlayList();
    ui(*w).lstPlayList()->setListIndex(0);
    return w;
}

// Plays `songs` tones through the whole sequence and returns the silences between them (ms).
std::vector<double> playThrough(int songs, int blankMs) {
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("out.raw"));
    qputenv("SDL_DISKAUDIOFILE", capture.toLocal8Bit());
    {
        std::unique_ptr<frmMain> player = playerWithTones(dir, songs, blankMs);
        frmMain& w = *player;
        ui(w).cmdPlay_Click();
        QElapsedTimer t;
        t.start();
        while (w.HistoryList.Count() < songs && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

        w.ZAPT_End();  // releases the device, so the capture is complete
    }
    QFile f(capture);
    f.open(QIODevice::ReadOnly);

    std::vector<double> ms;
    for (long g : silences(f.readAll()))
        ms.push_back(g * 1000.0 / kRate);
    return ms;
}

void report(benchmark::State& state, const std::vector<double>& gaps, double expected) {
    double sum = 0, worst = 0;
    for (double g : gaps) {
        sum += g;
        worst = std::max(worst, std::fabs(g - expected));
    }
    state.counters["transitions"] = static_cast<double>(gaps.size());
    state.counters["gap_ms_mean"] = gaps.empty() ? 0 : sum / static_cast<double>(gaps.size());
    state.counters["off_by_ms_worst"] = worst;
}

void BM_GapThroughPlayNextSong(benchmark::State& state) {
    for (auto _ : state)
        report(state, playThrough(8, 0), 0.0);
}

// SDL's disk driver writes somewhat faster than real time, so the blank time is timed on the
// clock: from the end report of a song to the moment the next one plays.
std::vector<double> blankTimes(int songs, int blankMs) {
    QTemporaryDir dir;
    std::unique_ptr<frmMain> player = playerWithTones(dir, songs, blankMs);
    frmMain& w = *player;
    QElapsedTimer clock;
    clock.start();
    qint64 endedAt = -1;
    QObject::connect(&w.Sequence(), &PlayerController::songEnded,
                     [&] { endedAt = clock.nsecsElapsed(); });
    ui(w).cmdPlay_Click();
    std::vector<double> ms;
    while (w.HistoryList.Count() < songs && clock.elapsed() < 30000) {
        QCoreApplication::processEvents();
        if (endedAt >= 0 && w.Player->getState() == 1) {
            ms.push_back((clock.nsecsElapsed() - endedAt) / 1e6);
            endedAt = -1;
        }
    }
    w.ZAPT_End();
    return ms;
}

void BM_BlankTime500ms(benchmark::State& state) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    for (auto _ : state)
        report(state, blankTimes(5, 500), 500.0);
    qputenv("SDL_AUDIODRIVER", "disk");
}

BENCHMARK(BM_GapThroughPlayNextSong)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlankTime500ms)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "disk");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
