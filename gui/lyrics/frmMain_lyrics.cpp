// Lyrics: the lyric index, the lookup of a song's lyric files and the lyric window.
#include "gui/LayoutMath.h"
#include "gui/frmMain.h"
#include "library/FileCollector.h"
#include "library/TrackEntries.h"
#include "lyrics/LyricIndex.h"
#include "lyrics/SyncedLyrics.h"
#include "playback/CueTrack.h"
#include "playback/PlayerController.h"
#include "playback/clsZAPT_MMC.h"
#include "tags/Id3LyricFrames.h"
#include "tags/clsTagInfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>
#include <functional>

void frmMain::wireLyrics() {
    LyricWindow = std::make_unique<frmLyric>();
}

namespace {
// Runs `act` once, when the watched window is first shown. UI thread.
class OnFirstShow : public QObject {
public:
    OnFirstShow(QWidget* window, std::function<void()> act)
        : QObject(window), act_(std::move(act)) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            act_();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> act_;
};
}  // namespace

void frmMain::LoadLyricWindow() {
    if (Options.LyricFormWidth() != 0) {
        LyricWindow->SetSize(Options.LyricFormWidth(), Options.LyricFormHeight());
        LyricWindow->SetLocate(Options.LyricFormPositionX(), Options.LyricFormPositionY());
        KeepWindowOnScreen(LyricWindow.get());  // a place saved on a screen that is gone
        return;
    }
    LyricWindow->SetSize(4500, 8000);
    // Without a saved place it goes beside the main window, placed when it first shows: by
    // then the main window has its final size, place and frame.
    new OnFirstShow(LyricWindow.get(), [this] {
        frmLyric& w = *LyricWindow;
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QSize frameExtra = frameGeometry().size() - size();  // the lyric window's is alike
        w.move(LayoutMath::BesideWindow(frameGeometry(), w.size() + frameExtra,
                                        screen->availableGeometry()));
    });
}

void frmMain::SaveLyricWindow() {
    const QPoint twips = Units.toTwips16(LyricWindow->pos());
    Options.setLyricFormPositionX(twips.x());
    Options.setLyricFormPositionY(twips.y());
    Options.setLyricFormWidth(LyricWindow->WidthTextMode());
    Options.setLyricFormHeight(LyricWindow->HeightTextMode());
    LyricWindow->UnloadFlg = true;
    LyricWindow->close();
}

bool frmMain::LyricFolderScanAllowed(const QString& folder) {
    if (!FileCollector::NeedsRootQuestion(folder, true))
        return true;
    return Dialogs().message(FileCollector::RootQuestionText(folder), QStringLiteral("ZAPT"),
                             UserDialogs::YesNo, UserDialogs::Yes) == UserDialogs::Yes;
}

void frmMain::LoadLyricList(const QString& folder) {
    if (Options.MakeLyricListAuto() == 1 && !LyricFolderScanAllowed(folder))
        return;
    const QString error = LyricIndex::LoadLyricList(LyricList, folder, Options.MakeLyricListAuto(),
                                                    AppFolder(), &Dialogs());
    if (!error.isEmpty()) {
        Dialogs().message(error, QStringLiteral("ZAPT"));
    }
    lyricLookup_.Prepare(LyricList);
}

clsArrayList frmMain::FindLyricFiles(const QString& songPath) {
    if (TrackEntries::IsTrack(songPath))
        return lyricLookup_.FindLyricFilesNamed(LyricList, TrackEntries::RowText(songPath),
                                                Options.VagueSearch());
    return lyricLookup_.FindLyricFiles(LyricList, songPath, Options.VagueSearch());
}

void frmMain::ShowLyrics(const QString& songPath) {
    if (AnyDialogVisible())
        return;
    LyricWindow->followPlayer(sequence_.get(),
                              [this] { return Player ? Player->getPath() : QString(); });
    LyricWindow->setSongPath(songPath);
    clsArrayList found = FindLyricFiles(songPath);
    clsTagInfo tag;
    if (found.Count() == 0) {
        // No lyric file: the lyrics the song's own tag carries, synced ones first.
        const Id3LyricFrames frames = Id3LyricFrames::Read(songPath);
        if (frames.isEmpty()) {
            LyricWindow->hide();
            return;
        }
        CueTrack::ReadTags(tag, songPath);
        LyricWindow->DispEmbedded(tag.Title.isEmpty() ? LyricLookup::BaseName(songPath) : tag.Title,
                                  SyncedLyrics::FromTimedTexts(frames.SyncedLines()), frames.plain);
        LyricWindow->show();
        return;
    }
    CueTrack::ReadTags(tag, songPath);
    const QStringList words = LyricLookup::ArtistWords(tag.ArtistName, ArtistWordList);
    LyricLookup::OrderByArtistInFiles(found, words);
    LyricWindow->setLyricFile(found);
    LyricWindow->DispLyric(0);
    LyricWindow->show();
}

void frmMain::cmdLyric_Click() {
    if (Options.LyricFolder().isEmpty()) {
        Dialogs().message(QStringLiteral("歌詞ファイル検索対象フォルダが設定されていません。\n"
                                         "プレイヤー設定画面で設定してください。"),
                          QStringLiteral("ZAPT"));
        return;
    }
    auto askForFile = [this] {
        Dialogs().message(QStringLiteral("ファイルを選択してください。"), QStringLiteral("ZAPT"));
    };
    if (ActiveListName == QStringLiteral("lstPlayList")) {
        lstPlayList->setFocus();
        const int row = lstPlayList->listIndex();
        if (row < 0 || row >= PlayList.Count())
            askForFile();
        else
            ShowLyrics(PlayList.Value(row));
    } else if (ActiveListName == QStringLiteral("lstFolderView")) {
        lstFolderView->setFocus();
        const int row = lstFolderView->listIndex();
        const int32_t folders = FolderViewFolders.Count();
        if (row < 0 || row <= folders || row - folders - 1 >= FolderViewFiles.Count())
            askForFile();
        else
            ShowLyrics(FolderViewFiles.Value(row - folders - 1));
    }
}
