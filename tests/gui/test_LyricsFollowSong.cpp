// Synced lyrics against what is really heard: a song of short tones, each at the time of a
// lyric line, played through a private PulseAudio server whose null sink is recorded, so the
// moment a tone comes out of the server is known to a few milliseconds.
#include "audio/PulseServer.h"
#include "gui/lyrics/frmLyric.h"
#include "playback/PlayerClock.h"
#include "playback/PlayerController.h"
#include "playback/clsZAPT_MMC.h"
#include "support/TempDir.h"

#include <QEventLoop>
#include <QListWidget>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int kRate = 44100;
constexpr double kLineSeconds[] = {0.5, 1.5, 2.5, 3.5, 4.5, 5.5};

// 16-bit stereo: silence, and a 0.3 s tone from each line's time on.
QByteArray tonesAtLines() {
    const int frames = kRate * 6;
    QByteArray pcm(frames * 4, '\0');
    auto* samples = reinterpret_cast<qint16*>(pcm.data());
    for (double start : kLineSeconds)
        for (int f = int(start * kRate); f < int((start + 0.3) * kRate); ++f)
            samples[2 * f] = samples[2 * f + 1] =
                qToLittleEndian(qint16(12000 * std::sin(2 * M_PI * 660.0 * f / kRate)));
    const auto le = [](quint32 value, int bytes) {
        QByteArray b(bytes, '\0');
        for (int i = 0; i < bytes; ++i)
            b[i] = char((value >> (8 * i)) & 0xFF);
        return b;
    };
    const QByteArray wav = "RIFF" + le(quint32(36 + pcm.size()), 4) + "WAVEfmt " + le(16, 4) +
                           le(1, 2) + le(2, 2) + le(kRate, 4) + le(kRate * 4, 4) + le(4, 2) +
                           le(16, 2) + "data" + le(quint32(pcm.size()), 4);
    return wav + pcm;
}

class OneRow final : public PlayRows {
public:
    clsArrayList list;
    const clsArrayList& entries() const override { return list; }
    int32_t rowCount() const override { return list.Count(); }
    int32_t selectedRow() const override { return -1; }
    void setSelectedRow(int32_t) override {}
    void showRow(int32_t) override {}
};

struct Change {
    int line;
    Clock::time_point at;
};

}  // namespace

// The line heard is selected within 50 ms of its tone coming out of the server: from the start,
// after a pause (no change while paused) and after a seek into the middle of a line.
TEST(LyricsFollowSong, HighlightFollowsWhatIsHeardAcrossPauseAndSeek) {
    if (!PulseServer::installed())
        GTEST_SKIP() << "PulseAudio is not installed";
    PulseServer server;
    ASSERT_TRUE(server.start());
    SinkRecorder recorder(kRate);
    ASSERT_TRUE(recorder.start());

    TempDir dir;
    const QString song = dir.write(u"tones.wav"_qs, tonesAtLines());
    QString lrc = u"[ti:tones]\n"_qs;
    for (int i = 0; i < 6; ++i)
        lrc += QStringLiteral("[00:0%1.%2]line %3\n")
                   .arg(int(kLineSeconds[i]))
                   .arg(int(kLineSeconds[i] * 100) % 100, 2, 10, QChar(u'0'))
                   .arg(i);
    const QString lyricFile = dir.write(u"tones.lrc"_qs, lrc.toUtf8());

    clsZAPT_MMC engine;
    OneRow rows;
    clsOption options;
    options.setBlankSec(0);
    clsArrayList reserve;
    clsArrayList history;
    QtPlayerClock clock;
    PlayerController player(engine, rows, options, {reserve, history}, clock,
                            [](bool, const QString& path, std::function<void(PreparedSong)> done) {
                                done(clsZAPT_MMC::Prepare(path));
                            });

    frmLyric window;
    window.followPlayer(&player, [&engine] { return engine.getPath(); });
    window.setSongPath(song);
    clsArrayList files;
    files.Add(lyricFile);
    window.setLyricFile(files);
    window.DispLyric(0);
    window.show();
    ASSERT_TRUE(window.IsSyncedMode());
    ASSERT_EQ(window.lstSynced->count(), 6);
    EXPECT_EQ(window.lstSynced->item(0)->text(), u"line 0"_qs);

    std::vector<Change> changes;
    QEventLoop* loop = nullptr;
    int awaited = -2;
    QObject::connect(window.lstSynced, &QListWidget::currentRowChanged, [&](int row) {
        changes.push_back({row, Clock::now()});
        if (row == awaited && loop)
            loop->quit();
    });
    // Runs the events for `time`, or until `line` is selected.
    const auto run = [&](std::chrono::milliseconds time, int line = -2) {
        QEventLoop waiting;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &waiting, &QEventLoop::quit);
        limit.start(time);
        awaited = line;
        loop = &waiting;
        if (line == -2 || window.lstSynced->currentRow() != line)
            waiting.exec();
        loop = nullptr;
        return window.lstSynced->currentRow() == line;
    };
    const auto waitForLine = [&](int line) { return run(3s, line); };
    const auto wait = [&](std::chrono::milliseconds time) { run(time); };
    // The tone of the change's line, as recorded, against when the line was selected.
    const auto heardLate = [&](const Change& c) {
        const long onset = recorder.firstSoundAfter(c.at - 300ms);
        return onset < 0 ? 1h : std::chrono::abs(recorder.timeOf(onset) - c.at);
    };

    player.PlayFile(song);
    ASSERT_TRUE(waitForLine(0));
    ASSERT_TRUE(waitForLine(1));
    wait(100ms);
    player.TogglePause();
    ASSERT_EQ(player.state(), PlayerController::State::Paused);
    const size_t beforePause = changes.size();
    wait(1000ms);  // past the next line's time
    EXPECT_EQ(changes.size(), beforePause) << "a paused song moved on";
    EXPECT_EQ(window.CurrentLine(), 1);
    player.TogglePause();
    ASSERT_TRUE(waitForLine(2));
    ASSERT_TRUE(player.Seek(4));
    ASSERT_TRUE(waitForLine(3));  // 4.0 s lies within the line of 3.5 s
    ASSERT_TRUE(waitForLine(4));
    wait(100ms);  // the recorder's last pieces
    player.StopPlay();

    int checked = 0;
    for (const Change& c : changes) {
        if (c.line == 0 || c.line == 1 || c.line == 2 || c.line == 4) {
            EXPECT_LT(heardLate(c), 50ms) << "line " << c.line;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4);
    recorder.stop();
}
