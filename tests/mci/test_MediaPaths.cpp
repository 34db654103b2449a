#include "playback/decoder/PcmSourceFactory.h"
#include "playback/mci/FfmpegSource.h"
#include "playback/mci/MidiSource.h"
#include "support/Id3TagBuilder.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"
#include "tags/clsTagInfo.h"

#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
// Makes the file under a UTF-8 name, then gives it the Shift_JIS bytes of "テスト" + `ext`, as
// an archive from Japanese Windows would; returns the name as the player shows it.
QString shiftJisNamed(const TempDir& d, const QString& made, const char* ext) {
    const QByteArray target = QFile::encodeName(d.path()) + "/\x83\x65\x83\x58\x83\x67" + ext;
    if (std::rename(QFile::encodeName(made).constData(), target.constData()) != 0)
        return {};
    return d.file(u"テスト"_s + QLatin1StringView(ext));
}
}  // namespace

TEST(MediaPaths, EveryRouteOpensAFileNamedInShiftJis) {
    TempDir d;
    ASSERT_TRUE(MciMedia::writeWav(d.file(u"a.wav"_s)));
    const QString wav = shiftJisNamed(d, d.file(u"a.wav"_s), ".wav");
    ASSERT_FALSE(wav.isEmpty());
    EXPECT_TRUE(PcmSourceFactory::open(wav.toUtf8().toStdString()));
    EXPECT_TRUE(FfmpegSource::open(wav));

    using namespace Id3TagBuilder;
    const QByteArray tagged = Tag(3, Frame(3, "TIT2", TextBody(1, u"夜明け"_s))) + AudioBytes(256);
    const QString mp3 = shiftJisNamed(d, d.write(u"b.mp3"_s, tagged), ".mp3");
    clsTagInfo tag;
    tag.GetTagInfo(mp3);
    EXPECT_EQ(tag.Title, u"夜明け"_s);

    if (MidiSource::soundFontPath().isEmpty())
        GTEST_SKIP() << "no sound font installed";
    const QString made = d.write(u"a.mid"_s, MciMedia::midiFile({}));
    const QString mid = shiftJisNamed(d, made, ".mid");
    EXPECT_TRUE(MidiSource::open(mid));
}

TEST(MediaPaths, AFifoNamedLikeAMidiFileIsRefusedWithoutWaiting) {
    TempDir d;
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.file(u"song.mid"_s)).constData(), 0600), 0);
    EXPECT_FALSE(MidiSource::open(d.file(u"song.mid"_s), u"/unused.sf2"_s));
}
