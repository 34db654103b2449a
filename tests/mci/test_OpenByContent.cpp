#include "playback/clsZAPT_MMC.h"
#include "playback/mci/MciControl.h"
#include "playback/mci/MidiSource.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A file made under its own name, then given a name that lies about it.
struct Disguise {
    const char* made;     // its true name, whose extension picks the container
    const char* encoder;  // FFmpeg encoder, or "wav", "mp3", "midi", "rmid", "wav-streamed"
    const char* named;
    bool library;  // played by the MP3/WAV library rather than the media-control object
};

QByteArray rmid(const QByteArray& song) {
    auto le32 = [](uint32_t v) {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        return QByteArray(b, 4);
    };
    QByteArray body = "RMID" + QByteArray("data") + le32(uint32_t(song.size())) + song;
    if (song.size() % 2)
        body += '\0';
    return "RIFF" + le32(uint32_t(body.size())) + body;
}

// A WAV as a recorder streaming to a pipe writes it: the RIFF and data sizes left at 0.
QByteArray streamed(QByteArray wav) {
    const qsizetype data = wav.indexOf("data");
    if (data < 0)
        return {};
    wav.replace(4, 4, QByteArray(4, '\0'));
    wav.replace(data + 4, 4, QByteArray(4, '\0'));
    return wav;
}

class OpenByContentTest : public ::testing::Test {
protected:
    void SetUp() override { player.setMMC(&mmc); }
    void TearDown() override { player.stop_(); }

    // The disguised file's path, or "" when this machine cannot make it.
    QString make(const Disguise& d, const MciMedia::Tone& tone, const MciMedia::Midi& midi) {
        const QString made = dir.file(QString::fromLatin1(d.made));
        const QString encoder = QString::fromLatin1(d.encoder);
        bool ok = false;
        if (encoder == u"wav" || encoder == u"wav-streamed")
            ok = MciMedia::writeWav(made, tone);
        else if (encoder == u"mp3")
            ok = MciMedia::writeMp3(made, tone);
        else if (encoder == u"midi" || encoder == u"rmid")
            ok = !MidiSource::soundFontPath().isEmpty() &&
                 !dir.write(QString::fromLatin1(d.made), encoder == u"midi"
                                                             ? MciMedia::midiFile(midi)
                                                             : rmid(MciMedia::midiFile(midi)))
                      .isEmpty();
        else
            ok = MciMedia::hasEncoder(d.encoder) && MciMedia::writeTone(made, d.encoder, tone);
        if (!ok)
            return {};
        QByteArray bytes = dir.read(QString::fromLatin1(d.made));
        if (encoder == u"wav-streamed")
            bytes = streamed(bytes);
        return dir.write(QString::fromLatin1(d.named), bytes);
    }

    TempDir dir;
    MciControl mmc;
    clsZAPT_MMC player;
};

// A file whose name lies plays by what it is: libmpg123 no longer turns a WebM into noise nor
// refuses an M4A, Ogg or FLAC named .mp3, and a RIFF-wrapped MIDI plays.
TEST_F(OpenByContentTest, EachFormatUnderAWrongNamePlaysByItsContent) {
    const Disguise cases[] = {
        {"t.webm", "libopus", "webm.mp3", false}, {"t.m4a", "aac", "m4a.mp3", false},
        {"t.ogg", "libvorbis", "ogg.mp3", false}, {"t.flac", "flac", "flac.mp3", false},
        {"t.wma", "wmav2", "wma.wav", false},     {"t.wav", "wav", "wav.mp3", true},
        {"t.mp3", "mp3", "mp3.wav", true},        {"t.wav", "wav", "wav.wma", false},
        {"t.mp3", "mp3", "mp3.mid", false},       {"s.wav", "wav-streamed", "streamed.wav", false},
        {"t.mid", "midi", "midi.mp3", false},     {"t.rmi", "rmid", "song.rmi", false},
    };
    MciMedia::Tone tone;
    tone.seconds = 2.0;
    tone.sampleRate = 48000;  // Opus knows no other
    MciMedia::Midi midi;      // four quarter notes at 120: 2 s
    ASSERT_DOUBLE_EQ(MciMedia::midiSeconds(midi), 2.0);
    for (const Disguise& d : cases) {
        SCOPED_TRACE(d.named);
        const QString path = make(d, tone, midi);
        if (path.isEmpty()) {
            std::printf("skipped %s: cannot be made here\n", d.named);
            continue;
        }
        ASSERT_TRUE(player.open_(path));
        ASSERT_TRUE(player.play());
        EXPECT_EQ(player.getState(), 1);
        EXPECT_EQ(player.getTotalSecond(), 2);
        int32_t second = 0;
        EXPECT_EQ(vbmp3_getState(&second), d.library ? 1 : 0);
        EXPECT_EQ(mmc.mode(), d.library ? MciControl::Mode::NotOpen : MciControl::Mode::Playing);
        EXPECT_TRUE(player.stop_());
    }
}

}  // namespace
