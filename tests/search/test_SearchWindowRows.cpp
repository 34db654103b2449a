// The playlist rows of the main window and the search over them, for names with extensions of
// any length.
#include "gui/MainWindowFixture.h"
#include "gui/search/frmSearch.h"

#include <QLineEdit>
#include <gtest/gtest.h>

TEST(PlaylistRows, ShowTheNameWithoutItsWholeExtensionAndASearchFindsIt) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    struct Case {
        QString path, row;
    };
    const Case cases[] = {
        {QStringLiteral("/m/春の風.flac"), QStringLiteral("春の風")},
        {u"/m/Intro.opus"_qs, u"Intro"_qs},
        {u"/m/Fugue.midi"_qs, u"Fugue"_qs},
        {u"/m/Take Five.aiff"_qs, u"Take Five"_qs},
        {u"/m/Live.wv"_qs, u"Live"_qs},
        {u"/m/02 Song.mp3"_qs, u"02 Song"_qs},
        {u"/m/Mr. Blue.wma"_qs, u"Mr. Blue"_qs},
        {u"/m/abc"_qs, u"abc"_qs},
        {u"/m/Vol. 2"_qs, u"Vol. 2"_qs},
        {u"/m/.hidden"_qs, u".hidden"_qs},
    };
    QStringList paths;
    for (const Case& c : cases)
        paths << c.path;
    f.setPlayList(paths);
    ASSERT_EQ(ui(w).lstPlayList()->count(), int(std::size(cases)));
    ui(w).lstPlayList()->setFocus();
    ui(w).ActiveListName() = u"lstPlayList"_qs;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        EXPECT_EQ(ui(w).lstPlayList()->rowText(i), cases[i].row) << cases[i].path.toStdString();
        // A whole-name search for what the row shows selects that row.
        ui(w).RunModal() = [&](QDialog& d) {
            auto& search = dynamic_cast<frmSearch&>(d);
            search.txtSearchWord->setText(cases[i].row);
            search.setSearchMode(0);
            search.cmdInput_Click();
            return 1;
        };
        ui(w).lstPlayList()->setListIndex(-1);
        ui(w).SearchList();
        EXPECT_EQ(ui(w).lstPlayList()->listIndex(), i) << cases[i].path.toStdString();
    }
}
