#include "MainWindowFixture.h"
#include "gui/LayoutMath.h"
#include "gui/QtUserDialogs.h"
#include "gui/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

namespace {
std::unique_ptr<frmMain> loaded(const TempDir& d, int formStatus, int toolTips = 0) {
    clsOption o;
    o.setFormStatus(formStatus);
    o.setToolTipText(static_cast<int16_t>(toolTips));
    o.WriteOption(d.file(u"ZAopt.inf"_qs));
    auto f = std::make_unique<frmMain>(d.path(), QString(), std::make_unique<FakeDialogs>());
    EXPECT_TRUE(f->Form_Load());
    return f;
}
}  // namespace

TEST(MainWindowLayout, ModesShowTheirControlsAndSnapRows) {
    TempDir d;
    auto f = loaded(d, 0);
    EXPECT_EQ(f->size(), QSize(300, 300));
    EXPECT_FALSE(ui(*f).lstFolderView()->isVisibleTo(f.get()));
    EXPECT_FALSE(ui(*f).lstFavoriteList()->isVisibleTo(f.get()));
    EXPECT_EQ((ui(*f).lstPlayList()->height() - 4) % 12, 0);
    EXPECT_GE(ui(*f).picButton()->geometry().bottom(), ui(*f).lstPlayList()->geometry().bottom());
    EXPECT_LE(ui(*f).picButton()->geometry().bottom(), f->height());

    ui(*f).cmdChangeFormSize()->click();
    EXPECT_EQ(f->Options.FormStatus(), 1);
    EXPECT_EQ(f->size(), QSize(600, 450));
    EXPECT_TRUE(ui(*f).lstFolderView()->isVisibleTo(f.get()));
    for (ListBox* box : {ui(*f).lstPlayList(), ui(*f).lstFavoriteList(), ui(*f).lstFolderView()}) {
        EXPECT_EQ((box->height() - 4) % 12, 0);
        EXPECT_EQ(box->viewport()->height() % 12, 0);  // whole rows, no sliver of the next
        // Kanji stay legible only at the full row height, and their bodies fit the row.
        EXPECT_GE(QFontInfo(box->font()).pixelSize(), ListBox::kRowHeight);
        EXPECT_LE(box->fontMetrics().ascent(), ListBox::kRowHeight);
    }
    // The rows really are 12 pixels high.
    f->PlayList.Add(u"/a/one.mp3"_qs);
    f->PlayList.Add(u"/a/two.mp3"_qs);
    ui(*f).RefreshPlayList();
    EXPECT_EQ(
        ui(*f).lstPlayList()->visualRect(ui(*f).lstPlayList()->model()->index(1, 0)).top() -
            ui(*f).lstPlayList()->visualRect(ui(*f).lstPlayList()->model()->index(0, 0)).top(),
        12);
    f->ZAPT_End();
}

TEST(MainWindowLayout, EachModeRemembersItsOwnSizeAndMinimum) {
    TempDir d;
    auto f = loaded(d, 1);
    f->resize(700, 500);
    EXPECT_EQ(f->Options.FormWidthNormal(), 700);
    EXPECT_EQ(f->Options.FormHeightNormal(), 500);
    f->resize(100, 100);  // below the normal minimum of 7800 × 4200 twips
    EXPECT_EQ(f->size(), QSize(520, 280));
    ui(*f).cmdChangeFormSize_Click();
    EXPECT_EQ(f->Options.FormStatus(), 0);
    EXPECT_EQ(f->size(), QSize(300, 300));
    f->resize(200, 150);  // below the mini minimum of 4285 × 3140 twips
    EXPECT_EQ(f->size(), QSize(286, 209));
    EXPECT_EQ(f->Options.FormWidthMini(), 286);
    EXPECT_EQ(f->Options.FormWidthNormal(), 520);
    ui(*f).cmdChangeFormSize_Click();
    EXPECT_EQ(f->size(), QSize(520, 280));
    f->ZAPT_End();
}

TEST(MainWindowLayout, NarrowStatusStripNeverGoesNegative) {
    TempDir d;
    auto f = loaded(d, 0);
    f->resize(286, 209);
    for (QWidget* w : std::initializer_list<QWidget*>{ui(*f).lblTagInfo(), ui(*f).lblPlayTime(),
                                                      ui(*f).shpSeekBar(), ui(*f).shpSeekPosition(),
                                                      ui(*f).lblSeekBar()})
        EXPECT_GE(w->width(), 0);
    EXPECT_LT(ui(*f).shpSeekBar()->geometry().right(), ui(*f).lblTime()->x());
    EXPECT_LE(ui(*f).picTimerMode()->geometry().right(), ui(*f).picStatus()->width());
    f->ZAPT_End();
}

TEST(MainWindowLayout, ToolTipsFollowTheSetting) {
    TempDir off;
    auto a = loaded(off, 0, 0);
    EXPECT_TRUE(ui(*a).cmdShuffle()->toolTip().isEmpty());
    a->ZAPT_End();
    TempDir on;
    auto b = loaded(on, 0, 1);
    EXPECT_EQ(ui(*b).cmdShuffle()->toolTip(),
              QStringLiteral("プレイリストの並びをシャッフルします。"));
    EXPECT_EQ(ui(*b).cmdDownItem()->toolTip(), QStringLiteral("選択中の曲を1つ下に移動します。"));
    b->ZAPT_End();
}

// Screen readers (and tests) find every button, list and time box by its Japanese name, with
// the tool-tip text as its description, whether or not tool tips are shown.
TEST(MainWindowLayout, ControlsHaveJapaneseAccessibleNames) {
    TempDir d;
    auto f = loaded(d, 1, 0);
    struct Row {
        const char16_t* name;
        QWidget* control;
        const char16_t* description;
    };
    const Row rows[] = {
        {u"再生", ui(*f).cmdPlay(), u"選択中の曲を再生します。"},
        {u"一時停止", ui(*f).cmdPause(), u"曲の再生を一時停止します。"},
        {u"停止", ui(*f).cmdStop(), u"曲の再生を停止します。"},
        {u"前の曲", ui(*f).cmdListIndexUp(), u"前の曲を再生します。"},
        {u"次の曲", ui(*f).cmdListIndexDown(), u"次の曲を再生します。"},
        {u"シャッフル", ui(*f).cmdShuffle(), u"プレイリストの並びをシャッフルします。"},
        {u"上へ移動", ui(*f).cmdUpItem(), u"選択中の曲を1つ上に移動します。"},
        {u"下へ移動", ui(*f).cmdDownItem(), u"選択中の曲を1つ下に移動します。"},
        {u"クリア", ui(*f).cmdListClear(), u"プレイリストをクリアします。"},
        {u"音量", ui(*f).cmdVolume(), u"ボリュームを調整します。"},
        {u"サイズ切り替え", ui(*f).cmdChangeFormSize(), u"ウィンドウのサイズを切り替えます。"},
        {u"フォルダ選択", ui(*f).cmdSetDir(), u"フォルダ選択ダイアログを開きます。"},
        {u"ファイルの取得", ui(*f).cmdGetFile(),
         u"カレントフォルダからプレイリストにファイルを取得します。"},
        {u"ファイルの追加", ui(*f).cmdAddFile(),
         u"カレントフォルダからプレイリストにファイルを追加します。"},
        {u"リストの保存", ui(*f).cmdSaveList(), u"現在のプレイリストをファイルに保存します。"},
        {u"リストの取得", ui(*f).cmdGetList(), u"お気に入りリストからプレイリストにファイルを取得"},
        {u"リストの追加", ui(*f).cmdAddList(), u"お気に入りリストからプレイリストにファイルを追加"},
        {u"検索", ui(*f).cmdSearch(), u"プレイリスト内を検索します。"},
        {u"歌詞", ui(*f).cmdLyric(), u"歌詞を表示します。"},
        {u"ファイル情報", ui(*f).cmdTagInfo(), u"プロパティを表示します。"},
        {u"プレイヤー設定", ui(*f).cmdOption(), u"プレイヤー設定ダイアログを開きます。"},
        {u"ヘルプ", ui(*f).cmdHelp(), u"ヘルプを表示します。"},
        {u"プレイリスト", ui(*f).lstPlayList(), u""},
        {u"お気に入りリスト", ui(*f).lstFavoriteList(), u""},
        {u"フォルダビュー", ui(*f).lstFolderView(), u""},
        {u"開始時", ui(*f).txtStartH(), u""},
        {u"開始分", ui(*f).txtStartM(), u""},
        {u"停止時", ui(*f).txtEndH(), u""},
        {u"停止分", ui(*f).txtEndM(), u""},
        {u"再生曲数", ui(*f).picPlayNumber(), u"全曲"},
        {u"リピート", ui(*f).picRepeatMode(), u"オフ"},
        {u"タイマー", ui(*f).picTimerMode(), u"オン"},
    };
    const QList<QWidget*> all = f->findChildren<QWidget*>();
    for (const Row& row : rows) {
        const QString name = QString::fromUtf16(row.name);
        SCOPED_TRACE(name.toStdString());
        QList<QWidget*> found;
        for (QWidget* w : all)
            if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                a && a->text(QAccessible::Name) == name)
                found << w;
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found[0], row.control);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(found[0])->text(QAccessible::Description),
                  QString::fromUtf16(row.description));
    }
    f->ZAPT_End();
}

// The mode icons are pictures only: each click tells a screen reader the new mode.
TEST(MainWindowLayout, ModeIconsTellTheirModeAfterEachClick) {
    TempDir d;
    auto f = loaded(d, 1, 0);
    struct Row {
        QLabel* icon;
        std::function<int()> mode;
        std::vector<const char16_t*> names;  // by mode
    };
    const Row rows[] = {
        {ui(*f).picPlayNumber(), [&f] { return f->Options.PlayNumber(); }, {u"1曲", u"全曲"}},
        {ui(*f).picRepeatMode(),
         [&f] { return f->Options.RepeatMode(); },
         {u"オン", u"オフ", u"ランダム"}},
        {ui(*f).picTimerMode(), [&f] { return f->Options.TimerMode(); }, {u"オフ", u"オン"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.icon->accessibleName().toStdString());
        QSet<int> seen;
        for (size_t i = 0; i < row.names.size(); ++i) {
            QTest::mouseClick(row.icon, Qt::LeftButton);
            seen.insert(row.mode());
            EXPECT_EQ(
                QAccessible::queryAccessibleInterface(row.icon)->text(QAccessible::Description),
                QString::fromUtf16(row.names.at(row.mode())));
        }
        EXPECT_EQ(seen.size(), static_cast<qsizetype>(row.names.size()));
    }
    f->ZAPT_End();
}

// A typed time shows centred in its box, as "--" does, not scrolled against the colon.
// A wide desktop font (here: spaced letters) too.
TEST(MainWindowLayout, TimeBoxesCentreTwoDigitsLikeTheDashes) {
    const QFont before = QApplication::font();
    QFont wide = before;
    wide.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    QApplication::setFont(wide);
    TempDir d;
    auto f = loaded(d, 1, 0);
    QApplication::setFont(before);
    f->show();
    // Middle of the drawn text, in pixels from the box's centre, twice over.
    auto inkOffset = [](QLineEdit* box, const QString& text) {
        box->setText(text);
        const QImage image = box->grab().toImage();
        const QRgb back = image.pixel(0, 0);
        int left = image.width(), right = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != back) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GE(right, left) << "nothing drawn";
        return left + right + 1 - image.width();
    };
    for (QLineEdit* box :
         {ui(*f).txtStartH(), ui(*f).txtStartM(), ui(*f).txtEndH(), ui(*f).txtEndM()}) {
        SCOPED_TRACE(box->accessibleName().toStdString());
        EXPECT_LE(std::abs(inkOffset(box, u"07"_qs)), 4);  // 2 pixels: the spacing after a letter
        EXPECT_LE(std::abs(inkOffset(box, u"--"_qs)), 4);
        EXPECT_LE(box->geometry().right(), box->parentWidget()->width() - 1);
    }
    f->ZAPT_End();
}

// Without a saved place the lyric window first shows beside the main window where the screen
// has room (right, else left), never over it, and whole on the screen.
TEST(MainWindowLayout, LyricWindowFirstShowsBesideTheMainWindow) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const bool mainAtRight : {false, true}) {
        SCOPED_TRACE(mainAtRight ? "main window at the right" : "main window at the left");
        TempDir lyr;
        lyr.write(u"Song.txt"_qs, "Song\r\nla la\r\n");
        MainWindowFixture f([&lyr](clsOption& o) {
            o.setFormStatus(0);
            o.setLyricFolder(lyr.path());
        });
        ASSERT_TRUE(f.loaded);
        ASSERT_EQ(f.form->Options.LyricFormWidth(), 0);
        const int width = f.form->frameGeometry().width();
        f.form->move(mainAtRight ? area.right() + 1 - width : area.left(), area.top() + 20);
        f.ui().ShowLyrics(f.app.file(u"Song.mp3"_qs));
        const frmLyric& lyric = *f.ui().LyricWindow();
        ASSERT_TRUE(lyric.isVisible());
        EXPECT_FALSE(lyric.frameGeometry().intersects(f.form->frameGeometry()));
        EXPECT_TRUE(area.contains(lyric.frameGeometry()));
        EXPECT_EQ(lyric.frameGeometry().left() < f.form->frameGeometry().left(), mainAtRight);
    }
}

// A window placed before it is shown is fitted again, frame included, once the window system
// reports the frame: its client area alone filled the corner of the screen.
TEST(MainWindowLayout, AWindowIsFittedAgainWhenItsFrameIsKnown) {
    MainWindowFixture f;
    ASSERT_TRUE(f.loaded);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget w;
    w.resize(200, 100);
    w.move(area.right() + 1 - 200, area.bottom() + 1 - 100);
    f.ui().KeepWindowOnScreen(&w);
    w.show();
    ASSERT_TRUE(
        MainWindowFixture::waitUntil([&w] { return w.frameGeometry().size() != w.size(); }, 2000))
        << "the platform reports no frame";
    EXPECT_TRUE(
        MainWindowFixture::waitUntil([&] { return area.contains(w.frameGeometry()); }, 2000));
}

// A name that looks like markup is shown as it is: in message boxes (which show no icon), in
// the labels that show names, and in their tool tips.
// What the player tells without asking (a command from the desktop failed) is one box that
// does not wait: more failures update it instead of opening box after box.
TEST(MainWindowLayout, NoticesShareOneBoxThatDoesNotWait) {
    QWidget owner;
    QtUserDialogs dialogs(&owner);
    for (int i = 1; i <= 50; ++i)
        dialogs.notify(u"/gone/%1.mp3にアクセスできません。"_qs.arg(i), u"ZAPT"_qs);
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes << box;
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_FALSE(boxes[0]->isModal());
    EXPECT_EQ(boxes[0]->text(), u"/gone/50.mp3にアクセスできません。"_qs);
    EXPECT_EQ(boxes[0]->textFormat(), Qt::PlainText);
    boxes[0]->buttons().first()->click();
    QApplication::processEvents();
    dialogs.notify(u"again"_qs, u"ZAPT"_qs);  // closed, the next notice opens a box again
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            visible += box->text() == u"again"_qs;
    EXPECT_EQ(visible, 1);
}

TEST(MainWindowLayout, NamesShowAsPlainText) {
    const QString html = u"<a href=x>y</a>"_qs;
    QWidget owner;
    QtUserDialogs dialogs(&owner);
    std::optional<Qt::TextFormat> format;
    std::optional<QMessageBox::Icon> icon;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            format = box->textFormat();
            icon = box->icon();
            box->buttons().first()->click();
        }
    });
    dialogs.message(html + u"にアクセスできません。"_qs, u"ZAPT"_qs, UserDialogs::OkOnly,
                    UserDialogs::Ok);
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(*format, Qt::PlainText);
    EXPECT_EQ(*icon, QMessageBox::NoIcon);

    // What a tool tip shows: Qt reads a tip as rich text when it looks like markup.
    auto shown = [](const QString& tip) {
        if (!Qt::mightBeRichText(tip))
            return tip;
        QTextDocument doc;
        doc.setHtml(tip);
        return doc.toPlainText();
    };
    TempDir d;
    const QString folder = d.mkdir(u"<b>bold"_qs);
    clsOption o;
    o.setFormStatus(1);
    o.setEntryPathName(0, html);
    o.WriteOption(d.file(u"ZAopt.inf"_qs));
    frmMain f(d.path(), QString(), std::make_unique<FakeDialogs>());
    ASSERT_TRUE(f.Form_Load());
    f.PlayingTagInfo.Title = html;
    ui(f).TagFieldIndex() = 0;
    ui(f).ShowTagInfoLabel();
    ui(f).ShowFolder(folder, 1);
    EXPECT_EQ(shown(ui(f).lblTagInfo()->toolTip()), html);
    EXPECT_EQ(shown(ui(f).lblEntryFolder()[0]->toolTip()), html);
    EXPECT_EQ(shown(ui(f).lblFolderViewCurrentFolder()->toolTip()), folder);
    for (QLabel* l :
         {static_cast<QLabel*>(ui(f).lblTagInfo()), static_cast<QLabel*>(ui(f).lblEntryFolder()[0]),
          static_cast<QLabel*>(ui(f).lblFolderViewCurrentFolder())})
        EXPECT_EQ(l->textFormat(), Qt::PlainText);
    f.ZAPT_End();
}

namespace {
// The text a label shows fits inside it.
bool fits(const QLabel* l) {
    return l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width();
}
}  // namespace

// Long names are elided where it keeps what the user needs, and again when the window grows.
TEST(MainWindowLayout, LongNamesAreElidedToFit) {
    TempDir d;
    const QString deep =
        d.mkdir(u"a very long folder name of the music collection/another long folder level/"
                "音楽のアルバム"_qs);
    clsOption o;
    o.setFormStatus(1);
    o.setEntryPathName(0, u"登録フォルダのとても長い名前その一"_qs);
    o.WriteOption(d.file(u"ZAopt.inf"_qs));
    frmMain f(d.path(), QString(), std::make_unique<FakeDialogs>());
    ASSERT_TRUE(f.Form_Load());
    f.resize(700, 280);
    ui(f).ShowFolder(deep, 1);
    f.PlayingTagInfo.Title = QString(80, u'曲');
    ui(f).TagFieldIndex() = 0;
    ui(f).ShowTagInfoLabel();

    EXPECT_TRUE(fits(ui(f).lblFolderViewCurrentFolder()));
    EXPECT_TRUE(ui(f).lblFolderViewCurrentFolder()->text().endsWith(u"/音楽のアルバム"_qs));
    EXPECT_TRUE(ui(f).lblFolderViewCurrentFolder()->text().startsWith(u'…'));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ui(f).lblFolderViewCurrentFolder())
                  ->text(QAccessible::Name),
              deep);  // read out whole
    EXPECT_TRUE(fits(ui(f).lblEntryFolder()[0]));
    EXPECT_TRUE(ui(f).lblEntryFolder()[0]->text().startsWith(u"登録"_qs));
    EXPECT_TRUE(fits(ui(f).lblTagInfo()));

    f.resize(2000, 400);
    EXPECT_EQ(ui(f).lblFolderViewCurrentFolder()->text(), deep);
    f.ZAPT_End();
}

// At the smallest size of each mode no control covers another; the overlaps the design wants
// (the seek bar's shapes under its label, a tab's frame under its name) are not in the list.
TEST(MainWindowLayout, NothingOverlapsAtTheMinimumSizes) {
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        TempDir d;
        auto f = loaded(d, mode);
        f->resize(100, 100);
        ui(*f).lblTagInfo()->setFullText(QString(80, u'曲'));
        auto inWindow = [&](QWidget* w) { return QRect(w->mapTo(f.get(), QPoint()), w->size()); };
        std::vector<QWidget*> strips = {ui(*f).picStatus(), ui(*f).lstPlayList(),
                                        ui(*f).picButton()};
        if (mode == 1)
            strips.insert(strips.end(), {ui(*f).lstFavoriteList(), ui(*f).picFolderViewStatus(),
                                         ui(*f).lstFolderView()});
        std::vector<std::vector<QWidget*>> groups = {
            strips,
            {ui(*f).lblTagInfoTitle(), ui(*f).lblTagInfo(), ui(*f).picPlayNumber(),
             ui(*f).picRepeatMode(), ui(*f).picTimerMode()},
            {ui(*f).lblPlayTime(), ui(*f).lblTime(), ui(*f).picStartTime(), ui(*f).picEndTime()},
            {ui(*f).lblSeekBar(), ui(*f).lblPlayListCount()},
        };
        if (mode == 1)
            groups.push_back({ui(*f).lblFolderViewCurrentFolder(), ui(*f).lblFolderCount(),
                              ui(*f).lblFolder(), ui(*f).lblFileCount(), ui(*f).lblFile()});
        const QRect client(QPoint(), f->size());
        for (const auto& group : groups) {
            for (size_t i = 0; i < group.size(); ++i) {
                EXPECT_TRUE(client.contains(inWindow(group[i]))) << i;
                EXPECT_TRUE(group[i]->parentWidget()->rect().contains(group[i]->geometry())) << i;
                for (size_t j = i + 1; j < group.size(); ++j)
                    EXPECT_FALSE(inWindow(group[i]).intersects(inWindow(group[j])))
                        << i << ' ' << j;
            }
        }
        for (QToolButton* b : ui(*f).picButton()->findChildren<QToolButton*>())
            EXPECT_TRUE(ui(*f).picButton()->rect().contains(b->geometry()));
        for (QLabel* word : {ui(*f).lblFolder(), ui(*f).lblFile()})
            EXPECT_TRUE(fits(word));
        f->ZAPT_End();
    }
}

TEST(MainWindowLayout, AbsurdStoredSizesAndPositionsComeBackOnTheScreen) {
    struct Case {
        int formStatus;
        int16_t x, y;  // twips
    };
    for (const Case c : {Case{1, -32768, -32768}, Case{1, 32767, 32767}, Case{0, 32767, -32768}}) {
        SCOPED_TRACE(testing::Message() << c.formStatus << " " << c.x << " " << c.y);
        TempDir d;
        clsOption o;
        o.setFormStatus(c.formStatus);
        for (auto set : {&clsOption::setFormWidthNormal, &clsOption::setFormHeightNormal,
                         &clsOption::setFormWidthMini, &clsOption::setFormHeightMini})
            (o.*set)(32767);
        o.setPositionX(c.x);
        o.setPositionY(c.y);
        o.WriteOption(d.file(u"ZAopt.inf"_qs));
        frmMain f(d.path(), QString(), std::make_unique<FakeDialogs>());
        ASSERT_TRUE(f.Form_Load());
        const QRect area = f.screen()->availableGeometry();
        EXPECT_TRUE(area.contains(f.frameGeometry())) << f.frameGeometry().width();
        ui(f).cmdChangeFormSize()->click();  // the other mode's size was stored as absurd too
        EXPECT_TRUE(area.contains(f.frameGeometry())) << f.frameGeometry().width();
        f.ZAPT_End();
        clsOption back;
        ASSERT_TRUE(back.ReadOption(d.file(u"ZAopt.inf"_qs)));
        for (int16_t w : {back.FormWidthNormal(), back.FormWidthMini()})
            EXPECT_LE(w, area.width());
        for (int16_t h : {back.FormHeightNormal(), back.FormHeightMini()})
            EXPECT_LE(h, area.height());
        EXPECT_TRUE(area.contains(QPoint(back.PositionX() / 15, back.PositionY() / 15)));
    }
}

// Colour 0 fills the margins and the gap between the columns; a system colour from the older
// program's files takes the role it names, not the button face.
TEST(MainWindowLayout, SchemePaintsTheBackgroundAndSystemColoursTheirRoles) {
    TempDir d;
    clsOption o;
    o.setFormStatus(1);
    o.setPlayerColor(0, 10 | (200 << 8) | (30 << 16));
    o.setPlayerColor(3, int32_t(0x80000005));  // window
    o.setPlayerColor(4, int32_t(0x80000008));  // window text
    o.WriteOption(d.file(u"ZAopt.inf"_qs));
    frmMain f(d.path(), QString(), std::make_unique<FakeDialogs>());
    ASSERT_TRUE(f.Form_Load());
    const QImage shot = f.grab().toImage();
    const QRect list(ui(f).lstPlayList()->mapTo(&f, QPoint()), ui(f).lstPlayList()->size());
    for (QPoint at :
         {QPoint(1, list.center().y()), QPoint(list.right() + 3, list.center().y()), QPoint(1, 1)})
        EXPECT_EQ(shot.pixelColor(at), QColor(10, 200, 30)) << at.x() << ' ' << at.y();
    const QPalette sys = QApplication::palette();
    EXPECT_EQ(ui(f).lstPlayList()->palette().color(QPalette::Base), sys.color(QPalette::Base));
    EXPECT_EQ(ui(f).lstPlayList()->palette().color(QPalette::Text), sys.color(QPalette::Text));
    f.ZAPT_End();
}

// Whatever size the caller assumed, a box is centred on the main window by its real size.
TEST(MainWindowLayout, BoxesAreCentredOnTheMainWindowByTheirOwnSize) {
    QWidget owner;
    owner.setGeometry(120, 90, 700, 500);
    owner.show();
    QtUserDialogs dialogs(&owner);
    for (QSize assumed : {QSize(150, 67), QSize(700, 67), QSize(411, 109)}) {
        SCOPED_TRACE(assumed.width());
        std::optional<QRect> shown;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->frameGeometry();
                box->buttons().first()->click();
            }
        });
        dialogs.placeNext(LayoutMath::CenterOver(owner.frameGeometry(), assumed));
        dialogs.message(u"選択されたリストを削除します。よろしいですか？"_qs, u"ZAPT"_qs,
                        UserDialogs::OkCancel, UserDialogs::Ok);
        ASSERT_TRUE(shown.has_value());
        const QPoint offset = shown->center() - owner.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << ' ' << offset.y();
    }
}
