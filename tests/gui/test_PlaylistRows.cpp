// The playlist's size limit, which comes from its 16-bit rows, on every way entries are added,
// and rows past that range in the other lists.
#include "MainWindowFixture.h"
#include "gui/widgets/WidgetHelpers.h"
#include "library/PlaylistOps.h"

#include <QToolButton>
#include <gtest/gtest.h>

namespace {

constexpr int kLimit = 32767;

QByteArray m3u(int lines) {
    QByteArray out;
    for (int i = 0; i < lines; ++i)
        out += QStringLiteral("/m/%1.mp3\r\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
    return out;
}

int limitBoxes(const FakeDialogs& d) {
    return static_cast<int>(std::count_if(d.shown.begin(), d.shown.end(), [](const auto& s) {
        return s.text == QStringLiteral("プレイリストに追加できるのは32767曲までです。");
    }));
}

}  // namespace

TEST(PlaylistLimit, EveryWayOfAddingKeepsTheFirst32767AndSaysSoOnce) {
    TempDir music;  // one entry more than the limit, and a sub-folder so nothing sorts by tag
    for (int i = 0; i <= kLimit; ++i)
        ASSERT_TRUE(QFile(music.file(QStringLiteral("%1.mp3").arg(i, 5, 10, QLatin1Char('0'))))
                        .open(QIODevice::WriteOnly));
    music.mkdir(u"sub"_qs);

    MainWindowFixture f([](clsOption& o) { o.setSearchMode(1); });
    frmMain& w = *f.form;
    f.app.write(u"list/big.m3u"_qs, m3u(kLimit + 1));
    w.FavoriteLists.Clear();
    ui(w).LoadFavoriteLists();
    ui(w).ShowFavoriteLists();
    ui(w).CurrentFolder() = music.path();

    const QString kept = u"/old/kept.mp3"_qs;
    struct Case {
        const char* name;
        bool addsToOne;  // starts from a playlist of one entry, which stays first
        std::function<void()> act;
    };
    const Case cases[] = {
        {"get files", false, [&] { ui(w).cmdGetFile()->click(); }},
        {"add files", true, [&] { ui(w).cmdAddFile()->click(); }},
        {"drop a folder", true, [&] { Q_EMIT ui(w).lstPlayList()->filesDropped({music.path()}); }},
        {"get a favorite list", false,
         [&] {
             ui(w).lstFavoriteList()->setListIndex(0);
             ui(w).cmdGetList()->click();
         }},
        {"add a favorite list", true,
         [&] {
             ui(w).lstFavoriteList()->setListIndex(0);
             ui(w).cmdAddList()->click();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.setPlayList(c.addsToOne ? QStringList{kept} : QStringList{});
        f.dialogs->shown.clear();
        c.act();
        EXPECT_EQ(w.PlayList.Count(), kLimit);
        EXPECT_EQ(ui(w).lstPlayList()->count(), kLimit);
        EXPECT_EQ(limitBoxes(*f.dialogs), 1);
        if (c.addsToOne) {
            EXPECT_EQ(w.PlayList.Value(0), kept);
        }
    }
}

TEST(PlaylistLimit, AStartPlaylistOverTheLimitIsCutOnce) {
    TempDir d;
    const QString list = d.write(u"big.m3u"_qs, m3u(kLimit + 5));
    MainWindowFixture f({}, list);
    EXPECT_EQ(f.form->PlayList.Count(), kLimit);
    EXPECT_EQ(f.form->PlayList.Value(kLimit - 1), u"/m/32766.mp3"_qs);
    EXPECT_EQ(limitBoxes(*f.dialogs), 1);
}

// The folder view has no such limit; a row past 16 bits is selected as it is, not wrapped.
TEST(PlaylistRows, SelectingARowPast16BitsSelectsThatRow) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    QStringList rows;
    for (int i = 0; i < 40000; ++i)
        rows << QStringLiteral("row %1").arg(i);
    ui(w).lstFolderView()->setRows(rows);
    for (int row : {32767, 32768, 39999}) {
        ui(w).SelectListRow(ui(w).lstFolderView(), row);
        EXPECT_EQ(ui(w).lstFolderView()->listIndex(), row);
    }
}

TEST(PlaylistRows, AListShowsOneRowPerEntryWithNothingSelected) {
    clsArrayList l;
    l.Add(u"/music/a.mp3"_qs);
    l.Add(u"/x/ab"_qs);
    l.Add(QStringLiteral("/曲/歌 & 声.wma"));
    ListBox box;
    modZAUtil::ShowListInListBox(box, l);
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.rowText(0), u"a"_qs);
    EXPECT_EQ(box.rowText(1), u"ab"_qs);
    EXPECT_EQ(box.rowText(2), QStringLiteral("歌 & 声"));
    EXPECT_EQ(box.listIndex(), -1);
}
