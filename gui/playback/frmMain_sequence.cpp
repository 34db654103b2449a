// The window's side of the play sequence: its buttons and menu items call the sequence
// (PlayerController), and what the sequence tells is shown: the song's tag, lyrics and time,
// the mode icons, the boxes.
#include "gui/ButtonBar.h"
#include "gui/frmMain.h"
#include "gui/lyrics/frmLyric.h"
#include "gui/playback/StatusStrip.h"
#include "playback/CueTrack.h"
#include "playback/PlayerController.h"
#include "settings/SchemeColor.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QToolButton>

namespace {

// The playlist as the sequence sees it: the entries and the playlist box's selection.
class PlaylistBoxRows final : public PlayRows {
public:
    PlaylistBoxRows(const clsArrayList& entries, ListBox* box,
                    std::function<void(int32_t row)> showRow)
        : entries_(entries), box_(box), showRow_(std::move(showRow)) {}
    const clsArrayList& entries() const override { return entries_; }
    int32_t rowCount() const override { return box_->count(); }
    int32_t selectedRow() const override { return box_->listIndex(); }
    void setSelectedRow(int32_t row) override { box_->setListIndex(row); }
    void showRow(int32_t row) override { showRow_(row); }

private:
    const clsArrayList& entries_;
    ListBox* box_;
    std::function<void(int32_t row)> showRow_;
};

}  // namespace

void frmMain::wirePlayback() {
    opener_ = new FileOpener(this);
    // One action a command, for its button and its menu item. A button's press comes before
    // the action it triggers; the menu plays the active list's row and leaves the focus.
    connect(mnuZAPT, &QMenu::aboutToShow, this, [this] { fromListMenu_ = true; });
    connect(picButton, &ButtonBar::commandPressed, this, [this] { fromListMenu_ = false; });
    connect(mnuPlay, &QAction::triggered, this,
            [this] { fromListMenu_ ? mnuPlay_Click() : cmdPlay_Click(); });
    connect(mnuPause, &QAction::triggered, this, &frmMain::cmdPause_Click);
    connect(mnuStop, &QAction::triggered, this,
            [this] { fromListMenu_ ? StopPlay() : cmdStop_Click(); });
    connect(lstPlayList, &ListBox::rowDoubleClicked, this, &frmMain::PlaySelectedRow);
    connect(picStatus, &StatusStrip::modeIconClicked, this, [this](StatusStrip::ModeIcon which) {
        if (which == StatusStrip::ModeIcon::PlayNumber)
            picPlayNumber_Click();
        else if (which == StatusStrip::ModeIcon::Repeat)
            picRepeatMode_Click();
    });
}

// Start-up, once the engine exists: the sequence over it, and what the window shows of it.
void frmMain::makeSequence() {
    playRows_ = std::make_unique<PlaylistBoxRows>(
        PlayList, lstPlayList, [this](int32_t row) { SelectListRow(lstPlayList, row); });
    auto open = [this](bool join, const QString& path, std::function<void(PreparedSong)> done) {
        opener_->open(join ? FileOpener::Kind::Join : FileOpener::Kind::Play, path,
                      std::move(done));
    };
    sequence_ = std::make_unique<PlayerController>(
        *Player, *playRows_, Options, PlayerController::Lists{ReserveList, HistoryList}, clock_,
        std::move(open));
    PlayerController* s = sequence_.get();
    connect(s, &PlayerController::songStarted, this,
            [this](int32_t, const QString& path) { showStartedSong(path); });
    connect(s, &PlayerController::songEnded, this, &frmMain::ShowTagInfoLabel);
    connect(s, &PlayerController::positionChanged, this, &frmMain::UpdatePlayTime);
    connect(s, &PlayerController::seeked, this, &frmMain::UpdatePlayTime);
    connect(s, &PlayerController::playTimeReset, this, &frmMain::ResetPlayTime);
    connect(s, &PlayerController::stopped, this, [this] {
        if (LyricWindow && !AnyDialogVisible())
            LyricWindow->hide();
        PlayingTagInfo.Clear();
        ShowTagInfoLabel();
        ResetPlayTime();
    });
    connect(s, &PlayerController::modesChanged, this, [this] {
        DrawPlayNumber(Options.SongsToPlay());
        DrawRepeatMode(Options.Repeat());
    });
    connect(s, &PlayerController::cannotAccess, this, [this](const QString& path) {
        Dialogs().message(path + QStringLiteral("にアクセスできません。"), QStringLiteral("ZAPT"));
    });
    connect(s, &PlayerController::opening, this, &frmMain::SaveBeforeFirstRisk);
    connect(s, &PlayerController::reserveTaken, this, &frmMain::BuildReserveMenu);
    connect(s, &PlayerController::stoppedAfterSong, this, [this] { lstPlayList->setFocus(); });
}

void frmMain::showStartedSong(const QString& path) {
    if (Options.DispLyricFlg() != 0)
        ShowLyrics(path);
    CueTrack::ReadTags(PlayingTagInfo, path);  // a disc image's track: the sheet's names
    ShowTagInfoLabel();
    if (Options.AutoSmallWindow() != 0 && !isMinimized() && Options.FormStatus() == 1 &&
        !AnyDialogVisible())
        cmdChangeFormSize_Click();
    RestoreListFocus();
}

void frmMain::PlayFile(const QString& path) {
    if (sequence_)
        sequence_->PlayFile(path);
}

void frmMain::PlaySelectedRow() {
    if (sequence_)
        sequence_->PlaySelectedRow();
}

void frmMain::PlayNextSong() {
    if (sequence_)
        sequence_->PlayNextSong();
}

void frmMain::StopPlay() {
    if (sequence_)
        sequence_->StopPlay();
}

void frmMain::TogglePause() {
    if (sequence_)
        sequence_->TogglePause();
}

void frmMain::RestoreListFocus() {
    if (!isActiveWindow() || !isVisible() || isMinimized() || AnyDialogVisible())
        return;
    if (ActiveListName.compare(QStringLiteral("lstFolderView"), Qt::CaseInsensitive) == 0 &&
        Options.FormStatus() != 0)
        lstFolderView->setFocus();
    else
        lstPlayList->setFocus();
}

void frmMain::cmdPlay_Click() {
    if (sequence_)
        sequence_->Play();
}

void frmMain::cmdPause_Click() {
    TogglePause();
    lstPlayList->setFocus();
}

void frmMain::cmdStop_Click() {
    StopPlay();
    lstPlayList->setFocus();
}

void frmMain::cmdListIndexUp_Click() {
    if (sequence_)
        sequence_->Step(-1);
}

void frmMain::cmdListIndexDown_Click() {
    if (sequence_)
        sequence_->Step(+1);
}

void frmMain::mnuPlay_Click() {
    if (ActiveListName.compare(QStringLiteral("lstPlayList"), Qt::CaseInsensitive) == 0) {
        cmdPlay_Click();
        return;
    }
    const int row = lstFolderView->listIndex();
    const int index = row - (FolderViewFolders.Count() + 1);
    if (index >= 0 && index < FolderViewFiles.Count())
        PlayFile(FolderViewFiles.Value(index));
}

void frmMain::picPlayNumber_Click() {
    if (sequence_)
        sequence_->TogglePlayNumber();
}

void frmMain::picRepeatMode_Click() {
    if (sequence_)
        sequence_->CycleRepeatMode();
}

// The icons show their mode only as a picture: a screen reader reads it as the description.
void frmMain::DrawPlayNumber(PlayCount mode) {
    const bool all = mode == PlayCount::AllSongs;
    picStatus->setModeIcon(StatusStrip::ModeIcon::PlayNumber,
                           MaskedIcon(all ? QStringLiteral(":/icons/playnumber_all.png")
                                          : QStringLiteral(":/icons/playnumber_single.png"),
                                      picStatus->modeIconSize()),
                           all ? QStringLiteral("全曲") : QStringLiteral("1曲"));
}

void frmMain::DrawRepeatMode(RepeatMode mode) {
    picStatus->setModeIcon(
        StatusStrip::ModeIcon::Repeat,
        MaskedIcon(mode == RepeatMode::On    ? QStringLiteral(":/icons/repeat_on.png")
                   : mode == RepeatMode::Off ? QStringLiteral(":/icons/repeat_off.png")
                                             : QStringLiteral(":/icons/repeat_random.png"),
                   picStatus->modeIconSize()),
        mode == RepeatMode::On    ? QStringLiteral("オン")
        : mode == RepeatMode::Off ? QStringLiteral("オフ")
                                  : QStringLiteral("ランダム"));
}

// The mode pictures are monochrome masks (glyph black on white); the glyph is drawn in the
// status text colour on the status background.
QPixmap frmMain::MaskedIcon(const QString& maskResource, QSize size) {
    const QImage mask(maskResource);
    QPixmap out(size);
    const QPalette system = QApplication::palette();
    out.fill(SchemeColor::ToQColor(Options.PlayerColor(ColorSlot::StatusBack), system));
    if (!mask.isNull()) {
        const QBitmap glyph = QBitmap::fromImage(
            mask.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), Qt::ThresholdDither);
        QPixmap fore(mask.size());
        fore.fill(SchemeColor::ToQColor(Options.PlayerColor(ColorSlot::StatusText), system));
        fore.setMask(glyph);
        QPainter p(&out);
        p.drawPixmap(0, 0, fore);
    }
    return out;
}

int32_t frmMain::GetPlayIndex() const {
    return sequence_ ? sequence_->GetPlayIndex() : 0;
}

void frmMain::SelectListRow(ListBox* box, int32_t row) {
    if (row >= box->count())
        return;
    if (row < 0) {
        box->setListIndex(-1);
        return;
    }
    // Showing row + k first scrolls so that `row` ends up near the top of the box.
    const int k = box->height() / ListBox::kRowHeight;
    if (row + k < box->count() - 1)
        box->setListIndex(row + k);
    box->setListIndex(row);
}

int32_t frmMain::SeekTotalSeconds() {
    return Player ? Player->getTotalSecond() : 0;
}
