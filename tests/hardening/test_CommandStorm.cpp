// Ten thousand random commands against the real engine on a PulseAudio null sink, with the
// events of the UI thread handled between them: every command leaves a consistent state, and
// at the end a song plays through and the next one follows.
#include "TestSongs.h"
#include "Watchdog.h"
#include "audio/PulseServer.h"
#include "gui/MainWindowFixture.h"
#include "playback/PlayerController.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using namespace std::chrono_literals;

// Songs of both routes, short enough that some end between commands.
QStringList makeSongs(const TempDir& dir) {
    struct Song {
        const char* name;
        const char* encoder;
        double seconds;
    };
    const Song songs[] = {{"a.wav", "wav", 0.2},   {"b.mp3", "mp3", 0.3},
                          {"c.flac", "flac", 0.2}, {"d.ogg", "libvorbis", 0.25},
                          {"e.wav", "wav", 0.45},  {"f.mid", "midi", 0.5}};
    QStringList made;
    for (const Song& s : songs) {
        const QString path = dir.file(QString::fromLatin1(s.name));
        if (makeSong(path, s.encoder, s.seconds))
            made << path;
    }
    return made;
}

}  // namespace

TEST(CommandStorm, TenThousandRandomCommandsLeaveThePlayerAnswering) {
    if (!PulseServer::installed())
        GTEST_SKIP() << "pulseaudio and parec are not installed";
    PulseServer server;
    ASSERT_TRUE(server.start());
    TempDir dir;
    const QStringList songs = makeSongs(dir);
    ASSERT_GE(songs.size(), 3);
    MainWindowFixture f([](clsOption& o) {
        o.setPlayNumber(1);
        o.setRepeatMode(0);
        o.setBlankSec(0);
        o.setGetFileType(255);
    });
    frmMain& w = *f.form;
    clsZAPT_MMC& player = *w.Player;
    ui(w).CurrentFolder() = dir.path();
    auto playingSelected = [&]() -> std::string {
        if (w.PlayList.Count() == 0)
            return {};
        const int32_t row = ui(w).GetPlayIndex();
        if (player.getPath() != w.PlayList.Value(row) || player.getState() != 1)
            return QStringLiteral("row %1 does not play: %2 in state %3")
                .arg(row)
                .arg(player.getPath())
                .arg(player.getState())
                .toStdString();
        return w.Sequence().PlayingIndex() == row ? std::string()
                                                  : "PlayingIndex is not the selected row";
    };
    struct Command {
        const char* name;
        int weight;
        std::function<std::string(std::mt19937&)> run;  // "" when the state after it holds
    };
    const Command commands[] = {
        {"play", 3,
         [&](std::mt19937&) {
             ui(w).cmdPlay_Click();
             return playingSelected();
         }},
        {"stop", 2,
         [&](std::mt19937&) {
             ui(w).StopPlay();
             return player.getState() == 0 && w.Sequence().PlayingIndex() == -1 &&
                            !w.Sequence().PlayTimeRunning()
                        ? std::string()
                        : "still playing after a stop";
         }},
        {"pause", 3,
         [&](std::mt19937&) {
             const int32_t before = player.getState();
             ui(w).TogglePause();
             const int32_t expected = before == 1 ? 2 : before == 2 ? 1 : 0;
             return player.getState() == expected ? std::string() : "pause did not toggle";
         }},
        {"next", 3,
         [&](std::mt19937&) {
             ui(w).cmdListIndexDown_Click();
             return playingSelected();
         }},
        {"previous", 2,
         [&](std::mt19937&) {
             ui(w).cmdListIndexUp_Click();
             return playingSelected();
         }},
        {"seek", 3,
         [&](std::mt19937& rng) {
             const int32_t before = player.getState();
             player.seek_(std::uniform_int_distribution<int32_t>(0, 2)(rng));
             return before == 0 || player.getState() == before ? std::string()
                                                               : "a seek changed the state";
         }},
        {"clear", 1,
         [&](std::mt19937&) {
             ui(w).ClearPlayList();
             return w.PlayList.Count() == 0 && ui(w).lstPlayList()->count() == 0 &&
                            w.Sequence().PlayingIndex() == -1
                        ? std::string()
                        : "the playlist is not empty";
         }},
        {"collect", 2,
         [&](std::mt19937&) {
             ui(w).GetFilesFromCurrentFolder();
             return w.PlayList.items() == songs && ui(w).lstPlayList()->count() == songs.size()
                        ? std::string()
                        : "collected other songs";
         }},
    };
    std::vector<int> weights;
    for (const Command& c : commands)
        weights.push_back(c.weight);
    std::discrete_distribution<int> pick(weights.begin(), weights.end());
    std::mt19937 rng(20261207);
    ui(w).GetFilesFromCurrentFolder();
    int faults = 0;
    for (int i = 0; i < 10'000 && faults < 10; i += 100) {
        Watchdog dog("commands from " + std::to_string(i), 300s);
        for (int k = i; k < i + 100; ++k) {
            const Command& c = commands[pick(rng)];
            const std::string fault = c.run(rng);
            if (!fault.empty()) {
                ADD_FAILURE() << "command " << k << " (" << c.name << "): " << fault;
                ++faults;
            }
            const int32_t state = player.getState();
            if (state < 0 || state > 2 ||
                w.Sequence().PlayingIndex() >= std::max(w.PlayList.Count(), 1)) {
                ADD_FAILURE() << "command " << k << " (" << c.name << "): state " << state
                              << ", PlayingIndex " << w.Sequence().PlayingIndex();
                ++faults;
            }
            QCoreApplication::processEvents();
        }
        // Long enough now and then for songs to end and the sequence to move on.
        MainWindowFixture::pump(std::uniform_int_distribution<int>(0, 600)(rng));
    }

    // Still answering: a song plays to its end and the next one follows.
    Watchdog dog("the final song", 120s);
    ui(w).GetFilesFromCurrentFolder();
    w.HistoryList.Clear();
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay_Click();
    EXPECT_EQ(playingSelected(), "");
    ASSERT_TRUE(MainWindowFixture::waitUntil(
        [&] { return w.HistoryList.Value(0) == songs[0] && player.getPath() == songs[1]; }, 20000));
    EXPECT_EQ(player.getState(), 1);
    EXPECT_EQ(w.Sequence().PlayingIndex(), 1);
    ui(w).StopPlay();
    EXPECT_EQ(player.getState(), 0);
}
