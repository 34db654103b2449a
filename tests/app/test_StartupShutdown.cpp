#include "app/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct Window {
    FakeDialogs* dialogs;
    std::unique_ptr<frmMain> form;
};

Window open(const QString& folder, const QString& startPath = QString()) {
    auto fake = std::make_unique<FakeDialogs>();
    FakeDialogs* raw = fake.get();
    auto form = std::make_unique<frmMain>(folder, startPath, std::move(fake));
    return {raw, std::move(form)};
}

const QByteArray kPlaylist = "/music/one.mp3\r\n/music/two.wav\r\n/music/three.mid\r\n";

}  // namespace

TEST(Startup, FreshFolderGetsItsFilesAndDefaults) {
    TempDir d;
    Window w = open(d.path());
    ASSERT_TRUE(w.form->Form_Load());
    for (const char* name : {"list", "color"})
        EXPECT_TRUE(QDir(d.file(QString::fromLatin1(name))).exists()) << name;
    for (const char* name : {"ZAigw.txt", "ZAart.txt", "ZAhis.m3u", "ZAlog.m3u"})
        EXPECT_TRUE(QFile::exists(d.file(QString::fromLatin1(name)))) << name;
    EXPECT_FALSE(QFile::exists(d.file(u"ZAopt.inf"_qs)));  // written only at shutdown
    EXPECT_EQ(w.form->lblPlayListCount->text(), u"No File"_qs);
    EXPECT_EQ(w.form->lblPlayTime->text(), u"00:00"_qs);
    EXPECT_EQ(w.form->CurrentFolder, d.path());  // no saved folder: the application folder
    EXPECT_EQ(w.form->windowTitle(), u"ZAPT"_qs);
    w.form->ZAPT_End();
    EXPECT_TRUE(QFile::exists(d.file(u"ZAopt.inf"_qs)));
}

TEST(Startup, SavedStateComesBackAndIsWrittenBackUnchanged) {
    TempDir d;
    d.mkdir(u"music"_qs);
    d.write(u"ZAlog.m3u"_qs, kPlaylist);
    d.write(u"ZAhis.m3u"_qs, "/music/two.wav\r\n");
    {
        clsOption o;
        o.setLastPlayIndex(1);
        o.setFormStatus(1);
        o.setDispTimeType(1);
        o.setPrimaryCurrentPath(0);
        o.setLastCurrentFolder(d.file(u"music"_qs));
        ASSERT_TRUE(o.WriteOption(d.file(u"ZAopt.inf"_qs)));
    }
    const QByteArray optBefore = d.read(u"ZAopt.inf"_qs);

    Window w = open(d.path());
    ASSERT_TRUE(w.form->Form_Load());
    EXPECT_EQ(w.form->lstPlayList->count(), 3);
    EXPECT_EQ(w.form->lstPlayList->rowText(2), u"three"_qs);
    EXPECT_EQ(w.form->lstPlayList->listIndex(), 1);
    EXPECT_EQ(w.form->lblPlayListCount->text(), QStringLiteral("×3"));
    EXPECT_EQ(w.form->lblPlayTime->text(), QStringLiteral("‐00:00"));
    EXPECT_EQ(w.form->CurrentFolder, d.file(u"music"_qs));
    EXPECT_TRUE(w.form->lstFolderView->isVisibleTo(w.form.get()));  // normal size
    EXPECT_EQ(w.form->HistoryList.Count(), 1);

    w.form->ZAPT_End();
    w.form->ZAPT_End();  // a second way of closing runs nothing again
    EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), kPlaylist);
    EXPECT_EQ(d.read(u"ZAhis.m3u"_qs), QByteArray("/music/two.wav\r\n"));
    EXPECT_EQ(d.read(u"ZAopt.inf"_qs), optBefore);
    EXPECT_TRUE(w.dialogs->shown.empty());
}

TEST(Startup, SecondInstanceIsRefused) {
    TempDir d;
    Window first = open(d.path());
    ASSERT_TRUE(first.form->Form_Load());
    Window second = open(d.path());
    EXPECT_FALSE(second.form->Form_Load());
    ASSERT_EQ(second.dialogs->shown.size(), 1u);
    EXPECT_EQ(second.dialogs->shown[0].text, QStringLiteral("既に起動しています。"));
    EXPECT_EQ(second.dialogs->shown[0].title, u"ZAPT"_qs);
    EXPECT_FALSE(QFile::exists(d.file(u"ZAopt.inf"_qs)));
    second.form->ZAPT_End();  // a refused window writes nothing
    EXPECT_FALSE(QFile::exists(d.file(u"ZAopt.inf"_qs)));

    first.form->ZAPT_End();
    Window third = open(d.path());
    EXPECT_TRUE(third.form->Form_Load());  // the lock went with the first window
    third.form->ZAPT_End();
}

TEST(Startup, StartPathChoosesThePlaylist) {
    TempDir d;
    d.write(u"ZAlog.m3u"_qs, kPlaylist);
    const QString folder = d.mkdir(u"album"_qs);
    d.write(u"album/a.mp3"_qs, "x");
    d.write(u"album/sub/b.wav"_qs, "x");
    d.write(u"album/notes.txt"_qs, "x");
    d.write(u"fav.m3u"_qs, "/x/1.mp3\r\n/x/2.mp3\r\n");

    struct Case {
        QString path;
        QStringList expected;
    };
    const Case cases[] = {
        {d.file(u"album/a.mp3"_qs), {d.file(u"album/a.mp3"_qs)}},
        {u"/anywhere/SONG.MP3"_qs, {u"/anywhere/SONG.MP3"_qs}},  // upper case is playable too
        {d.file(u"fav.m3u"_qs), {u"/x/1.mp3"_qs, u"/x/2.mp3"_qs}},
        {d.file(u"album/notes.txt"_qs), {}},
        {u"/x/list.m3u8"_qs, {}},
    };
    for (const Case& c : cases) {
        Window w = open(d.path(), c.path);
        ASSERT_TRUE(w.form->Form_Load());
        EXPECT_EQ(w.form->PlayList.items(), c.expected) << c.path.toStdString();
        EXPECT_EQ(w.form->lstPlayList->listIndex(), -1);
        w.form->ZAPT_End();
    }
    Window w = open(d.path(), folder);
    ASSERT_TRUE(w.form->Form_Load());
    QStringList got = w.form->PlayList.items();
    got.sort();
    EXPECT_EQ(got, (QStringList{d.file(u"album/a.mp3"_qs), d.file(u"album/sub/b.wav"_qs)}));
    w.form->ZAPT_End();
}
