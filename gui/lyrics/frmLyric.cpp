#include "gui/lyrics/frmLyric.h"

#include "core/modZAUtil.h"
#include "gui/LayoutMath.h"
#include "gui/ScreenUnits.h"
#include "lyrics/LyricText.h"
#include "playback/PlayerController.h"

#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

using namespace std::chrono_literals;

namespace {

constexpr int kTitleHeight = 18;  // the title row above the body
constexpr int kBodyTop = 2 + kTitleHeight;

void paint(QWidget* w, const QColor& back, const QColor* fore) {
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        p.setColor(role, back);
    if (fore)
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(role, *fore);
    w->setAutoFillBackground(true);
    w->setPalette(p);
}

constexpr int kTranslationRole = Qt::UserRole;
constexpr auto kShiftShownFor = 1500ms;

// A synced line, and under it in a smaller type its translation or reading; the line heard in
// the list's highlight colours.
class SyncedLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QFont smaller(QFont font) {
        font.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 0.8 : 8.0);
        return font;
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        const QString translation = index.data(kTranslationRole).toString();
        const QFontMetrics main(option.font);
        const QFontMetrics small(smaller(option.font));
        int width = main.horizontalAdvance(text);
        int height = main.height();
        if (!translation.isEmpty())
            for (const QString& line : translation.split(u'\n')) {
                width = std::max(width, small.horizontalAdvance(line));
                height += small.height();
            }
        return {width + 6, height + 2};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool heard = option.state & QStyle::State_Selected;
        const QPalette& p = option.palette;
        if (heard)
            painter->fillRect(option.rect, p.color(QPalette::Highlight));
        painter->save();
        painter->setPen(p.color(heard ? QPalette::HighlightedText : QPalette::Text));
        QRect r = option.rect.adjusted(3, 1, -3, -1);
        painter->setFont(option.font);
        const int mainHeight = QFontMetrics(option.font).height();
        painter->drawText(r, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
        const QString translation = index.data(kTranslationRole).toString();
        if (!translation.isEmpty()) {
            painter->setFont(smaller(option.font));
            r.setTop(r.top() + mainHeight);
            painter->drawText(r, Qt::AlignLeft | Qt::AlignTop, translation);
        }
        painter->restore();
    }
};

bool isText(const QString& path) {
    return path.endsWith(u".txt", Qt::CaseInsensitive) ||
           path.endsWith(u".lrc", Qt::CaseInsensitive);
}

bool isPicture(const QString& path) {
    for (const char16_t* ext : {u".bmp", u".gif", u".jpg", u".jpeg", u".png"})
        if (path.endsWith(QStringView(ext), Qt::CaseInsensitive))
            return true;
    return false;
}

}  // namespace

frmLyric::frmLyric() : QWidget(nullptr, Qt::Window) {
    // Shown by a song change while the user works in the player: it must not take the focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAccessibleName(QStringLiteral("歌詞"));
    buildControls();
}

frmLyric::~frmLyric() = default;

void frmLyric::buildControls() {
    lblTitle = new QLabel(this);
    lblTitle->setTextFormat(Qt::PlainText);
    lblTitle->setGeometry(2, 2, 100, kTitleHeight);
    lblTitle->setAccessibleName(QStringLiteral("歌詞のタイトル"));

    txtLyric = new QPlainTextEdit(this);
    txtLyric->setReadOnly(true);
    txtLyric->setFocusPolicy(Qt::NoFocus);
    txtLyric->setTextInteractionFlags(Qt::NoTextInteraction);
    txtLyric->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLyric->setGeometry(2, kBodyTop, 100, 100);
    txtLyric->setAccessibleName(QStringLiteral("歌詞の本文"));

    txtActive = new QLineEdit(this);
    txtActive->setReadOnly(true);
    txtActive->setFrame(false);
    txtActive->setGeometry(0, 0, 0, 0);
    txtActive->setAccessibleName(QStringLiteral("歌詞ウィンドウ"));

    picGuide = new QWidget(this);
    picGuide->setGeometry(0, 3, 30, 14);
    picGuide->setAccessibleName(QStringLiteral("歌詞の切り替え"));
    lblGuide2 = new QLabel(QStringLiteral("←"), picGuide);
    lblGuide2->setGeometry(1, 0, 14, 14);
    lblGuide2->setAccessibleName(QStringLiteral("前の歌詞"));
    lblGuide1 = new QLabel(QStringLiteral("→"), picGuide);
    lblGuide1->setGeometry(15, 0, 14, 14);
    lblGuide1->setAccessibleName(QStringLiteral("次の歌詞"));
    for (QLabel* l : {lblGuide1, lblGuide2}) {
        l->setAlignment(Qt::AlignCenter);
        l->setCursor(Qt::PointingHandCursor);
    }

    picLyricPanel = new QWidget(this);
    picLyricPanel->move(2, 2);
    picLyricPanel->setAccessibleName(QStringLiteral("歌詞の画像"));
    picLyric = new QLabel(picLyricPanel);
    picLyric->setGeometry(0, 0, 0, 0);
    picLyric->setAccessibleName(QStringLiteral("画像"));

    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    hscLyric = new QScrollBar(Qt::Horizontal, this);
    hscLyric->setGeometry(2, 0, 100, extent);
    hscLyric->setAccessibleName(QStringLiteral("横スクロール"));
    vscLyric = new QScrollBar(Qt::Vertical, this);
    vscLyric->setGeometry(0, 2, extent, 100);
    vscLyric->setAccessibleName(QStringLiteral("縦スクロール"));
    for (QScrollBar* bar : {hscLyric, vscLyric}) {
        bar->setPageStep(10);
        bar->setRange(0, 0);
        bar->setEnabled(false);
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QScrollBar::valueChanged, this, &frmLyric::ScrollPicture);
    }

    lstSynced = new QListWidget(this);
    lstSynced->setGeometry(2, kBodyTop, 100, 100);
    lstSynced->setFocusPolicy(Qt::NoFocus);
    lstSynced->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSynced->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSynced->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lstSynced->setItemDelegate(new SyncedLineDelegate(lstSynced));
    lstSynced->setAccessibleName(QStringLiteral("歌詞の本文"));
    lstSynced->setAccessibleDescription(QStringLiteral("選択された行が今聞こえている行です"));
    lstSynced->hide();

    lblShift = new QLabel(this);
    lblShift->setTextFormat(Qt::PlainText);
    lblShift->setAlignment(Qt::AlignCenter);
    lblShift->setAccessibleName(QStringLiteral("歌詞のずれ"));
    lblShift->hide();
    shiftShown_ = new QTimer(this);
    shiftShown_->setSingleShot(true);
    connect(shiftShown_, &QTimer::timeout, lblShift, &QLabel::hide);

    follow_ = new QTimer(this);
    follow_->setSingleShot(true);
    follow_->setTimerType(Qt::PreciseTimer);
    connect(follow_, &QTimer::timeout, this, &frmLyric::followHeard);

    for (QObject* o : {static_cast<QObject*>(lblTitle), static_cast<QObject*>(lblGuide1),
                       static_cast<QObject*>(lblGuide2), static_cast<QObject*>(txtActive),
                       static_cast<QObject*>(txtLyric->viewport()),
                       static_cast<QObject*>(lstSynced->viewport())})
        o->installEventFilter(this);
    SetVisible_Image(false);
    SetVisible_Text(true);
    txtActive->setFocus();
}

QMargins frmLyric::FrameMargins() {
    if (isVisible()) {
        const QRect f = frameGeometry();
        const QRect g = geometry();
        frame_ = QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                          f.bottom() - g.bottom());
    } else if (frame_.isNull()) {
        // Not shown yet: another window of the player has the same kind of frame.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != this && w->isVisible() && w->frameGeometry() != w->geometry()) {
                const QRect f = w->frameGeometry();
                const QRect g = w->geometry();
                return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                                f.bottom() - g.bottom());
            }
    }
    return frame_;
}

QSize frmLyric::outerSize() {
    const QMargins m = FrameMargins();
    return size().grownBy(m);
}

void frmLyric::SetSize(int32_t width, int32_t height) {
    const QMargins m = FrameMargins();
    const QSize outer = ScreenUnits::Of(*this).toPixels(QSize(width, height));
    resize(std::max(1, outer.width() - m.left() - m.right()),
           std::max(1, outer.height() - m.top() - m.bottom()));
    if (!isVisible())
        Form_Resize();  // a hidden window hears of its size only when shown
    // Kept as given, so a size nobody changed is saved as it was read.
    if (!IsImageMode_) {
        WidthTextMode_ = width;
        HeightTextMode_ = height;
    }
}

void frmLyric::keepTextModeSize(QSize outer) {
    const QSize twips = ScreenUnits::Of(*this).toTwips(outer);
    WidthTextMode_ = twips.width();
    HeightTextMode_ = twips.height();
}

void frmLyric::SetLocate(int32_t left, int32_t top) {
    move(ScreenUnits::Of(*this).toPixels(QPoint(left, top)));
}

void frmLyric::DispLyric(int32_t Index) {
    const QString path = LyricFile_.Value(Index);
    CurrentIndex_ = Index;
    setWindowTitle(modZAUtil::GetFileName(path));

    if (isText(path)) {
        const bool wasImage = IsImageMode_;
        IsImageMode_ = false;
        QStringList lines;
        if (!modZAUtil::FileExists(path) || !LyricText::ReadFile(path, lines)) {
            lblTitle->clear();
            txtLyric->clear();
            const bool wasSynced = std::exchange(IsSynced_, false);
            followHeard();
            if (wasImage || wasSynced) {  // the last picture or list is not this file's
                SetVisible_Image(false);
                SetVisible_Text(true);
            }
            return;
        }
        SyncedLyrics synced = SyncedLyrics::Parse(lines);
        if (synced.isSynced()) {
            const QString title = synced.title();
            showSynced(path, title, std::move(synced));
        } else {
            showPlain(lines.value(0), lines.mid(1));
        }
        return;
    }
    if (!isPicture(path))
        return;
    IsSynced_ = false;
    followHeard();

    // The text-mode size is the user's, not a picture's: kept only when leaving text.
    if (!IsImageMode_ && !isMinimized())
        keepTextModeSize(outerSize());
    IsImageMode_ = true;
    picLyric->move(0, 0);
    hscLyric->setValue(0);
    vscLyric->setValue(0);
    // Read as bytes, so a name that is not UTF-8 opens too; the reader goes by the content.
    QImage image;
    QByteArray bytes;
    if (modZAUtil::ReadFileBytes(path, bytes) == modZAUtil::ReadStatus::Ok) {
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        image = reader.read();
    }
    if (!image.isNull()) {
        picLyric->setPixmap(QPixmap::fromImage(image));
        picLyric->resize(image.size());
        AjdustFormSize();
    } else {
        picLyric->clear();
        picLyric->resize(0, 0);
    }
    fitScrollBars();
    SetVisible_Text(false);
    SetVisible_Image(true);
}

void frmLyric::showPlain(const QString& title, const QStringList& body) {
    IsImageMode_ = false;
    IsSynced_ = false;
    followHeard();
    lblTitle->setText(title);
    LineCount_ = 0;
    MaxLineBytes_ = 0;
    QString text;
    for (const QString& line : body) {
        MaxLineBytes_ = std::max(MaxLineBytes_, LyricText::ShiftJisBytes(line));
        text += line;
        text += u'\n';
        ++LineCount_;
    }
    text.chop(1);
    txtLyric->setPlainText(text);
    SetVisible_Image(false);
    SetVisible_Text(true);
    AjdustFormSize();
    ArrangeControls();
}

// The lines without their tags, each translation line counted as a line of the size rule.
void frmLyric::showSynced(const QString& key, const QString& title, SyncedLyrics lyrics) {
    IsImageMode_ = false;
    IsSynced_ = true;
    Synced_ = std::move(lyrics);
    SyncedKey_ = key;
    CurrentLine_ = -1;
    lblTitle->setText(title);
    txtLyric->clear();
    lstSynced->clear();
    LineCount_ = 0;
    MaxLineBytes_ = 0;
    for (const SyncedLyrics::Line& line : Synced_.lines()) {
        auto* item = new QListWidgetItem(line.text, lstSynced);
        MaxLineBytes_ = std::max(MaxLineBytes_, LyricText::ShiftJisBytes(line.text));
        ++LineCount_;
        if (!line.translation.isEmpty()) {
            item->setData(kTranslationRole, line.translation);
            item->setData(Qt::AccessibleTextRole, QString(line.text + u'\n' + line.translation));
            for (const QString& t : line.translation.split(u'\n')) {
                MaxLineBytes_ = std::max(MaxLineBytes_, LyricText::ShiftJisBytes(t));
                ++LineCount_;
            }
        }
    }
    SetVisible_Image(false);
    SetVisible_Text(true);
    AjdustFormSize();
    ArrangeControls();
    followHeard();
}

void frmLyric::DispEmbedded(const QString& title, const SyncedLyrics& synced,
                            const QString& plain) {
    LyricFile_ = clsArrayList();
    CurrentIndex_ = 0;
    setWindowTitle(modZAUtil::GetFileName(SongPath_));
    if (synced.isSynced())
        showSynced(SongPath_, title, synced);
    else
        showPlain(title, plain.split(u'\n').mid(0, LyricText::kMaxLines));
}

void frmLyric::followPlayer(PlayerController* player, std::function<QString()> playingPath) {
    if (player_ == player)
        return;
    if (player_)
        disconnect(player_, nullptr, this, nullptr);
    player_ = player;
    playingPath_ = std::move(playingPath);
    if (!player)
        return;
    connect(player, &PlayerController::stateChanged, this, &frmLyric::followHeard);
    connect(player, &PlayerController::seeked, this, &frmLyric::followHeard);
    connect(player, &PlayerController::songStarted, this, &frmLyric::followHeard);
    connect(player, &PlayerController::stopped, this, &frmLyric::followHeard);
    followHeard();
}

bool frmLyric::following() const {
    return IsSynced_ && player_ && playingPath_ && !SongPath_.isEmpty() &&
           playingPath_() == SongPath_;
}

// Shows the line heard now and waits for the next change, only while the song plays and the
// window shows: the timer runs a few times a minute, not as a poll.
void frmLyric::followHeard() {
    follow_->stop();
    if (!IsSynced_)
        return;
    if (!following()) {
        showLine(-1);
        return;
    }
    const std::chrono::milliseconds heard = player_->heardPosition();
    showLine(Synced_.lineAt(heard, TimingShift()));
    if (player_->state() != PlayerController::State::Playing || !isVisible())
        return;
    // A change is looked at again a little after it is due: the output's position is then
    // past it, and one that came late (a start or a seek not heard yet) is waited for again.
    if (const auto next = Synced_.nextChangeIn(heard, TimingShift()))
        follow_->start(std::max<std::chrono::milliseconds>(*next + 2ms, 10ms));
}

void frmLyric::showLine(int line) {
    if (line == CurrentLine_)
        return;
    CurrentLine_ = line;
    if (line < 0 || line >= lstSynced->count()) {
        lstSynced->clearSelection();
        lstSynced->setCurrentItem(nullptr);
        return;
    }
    lstSynced->setCurrentRow(line, QItemSelectionModel::ClearAndSelect);
    lstSynced->scrollToItem(lstSynced->item(line), QAbstractItemView::PositionAtCenter);
}

void frmLyric::shiftTiming(std::chrono::milliseconds by) {
    const std::chrono::milliseconds shift = TimingShift() + by;
    shifts_.insert(SyncedKey_, shift);
    const double seconds = double(shift.count()) / 1000.0;
    lblShift->setText((shift.count() > 0 ? u"+"_qs : QString()) + QString::number(seconds, 'f', 1) +
                      u" s"_qs);
    lblShift->adjustSize();
    lblShift->resize(lblShift->width() + 12, lblShift->height() + 4);
    lblShift->move(std::max(0, width() - lblShift->width() - 6), kBodyTop + 4);
    lblShift->raise();
    lblShift->show();
    shiftShown_->start(kShiftShownFor);
    followHeard();
}

void frmLyric::seekToLine(int line) {
    if (!following() || line < 0 || size_t(line) >= Synced_.lines().size())
        return;
    const auto at = Synced_.lines()[size_t(line)].time + TimingShift();
    player_->SeekTo(std::chrono::duration_cast<std::chrono::milliseconds>(std::max(at, 0ms)));
}

void frmLyric::AjdustFormSize() {
    if (isMinimized())
        return;
    IsAdjusting_ = true;
    QSize client;
    if (IsImageMode_) {
        picLyricPanel->resize(picLyric->size());
        client = QSize(picLyricPanel->width() + vscLyric->width() + 4,
                       hscLyric->height() + picLyricPanel->height() + 4);
    } else if (WidthTextMode_ > 0 && HeightTextMode_ > 0) {
        client = QSize(vscLyric->width() + 4 + MaxLineBytes_ * 6,
                       hscLyric->height() + 10 + txtLyric->y() + (LineCount_ + 1) * 12);
    }
    if (client.isValid()) {
        const QMargins m = FrameMargins();
        QSize outer = client.grownBy(m);
        const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
        if (s) {  // cut at the screen's right and bottom edges, when the window starts on it
            // A text never needs more than the screen's free area, wherever the window is.
            if (!IsImageMode_)
                outer = outer.boundedTo(s->availableGeometry().size());
            const QRect area = s->geometry();
            if (const int room = area.right() + 1 - x(); room > 0)
                outer.setWidth(std::min(outer.width(), room));
            if (const int room = area.bottom() + 1 - y(); room > 0)
                outer.setHeight(std::min(outer.height(), room));
        }
        const QSize fitted = outer.shrunkBy(m).expandedTo(QSize(1, 1));
        resize(fitted);
        handledSize_ = fitted;
    }
    IsAdjusting_ = false;
}

void frmLyric::ArrangeControls() {
    const int w = std::max(0, width() - 4);
    const int h = std::max(0, height() - 4 - kTitleHeight);
    const int bar = hscLyric->height();
    txtLyric->resize(w, h);
    lstSynced->resize(w, h);
    lblTitle->resize(w, lblTitle->height());
    picLyricPanel->resize(std::max(0, w - bar), std::max(0, h - bar + kTitleHeight));
    picGuide->move(lblTitle->x() + lblTitle->width() - picGuide->width() - 2, picGuide->y());
    fitScrollBars();
}

// The bars count up from 0 to how far the picture reaches past the panel; the picture moves
// left and up by their values.
void frmLyric::fitScrollBars() {
    const QRect panel = picLyricPanel->geometry();
    vscLyric->setGeometry(panel.x() + panel.width(), panel.y(), vscLyric->width(), panel.height());
    hscLyric->setGeometry(panel.x(), panel.y() + panel.height(), panel.width(), hscLyric->height());
    const int overX = picLyric->width() - panel.width();
    const int overY = picLyric->height() - panel.height();
    hscLyric->setRange(0, std::max(0, overX));
    hscLyric->setEnabled(overX > 0);
    vscLyric->setRange(0, std::max(0, overY));
    vscLyric->setEnabled(overY > 0);
}

void frmLyric::ScrollPicture() {
    picLyric->move(-hscLyric->value(), -vscLyric->value());
}

void frmLyric::SetVisible_Text(bool value) {
    picGuide->setVisible(LyricFile_.Count() > 1);
    lblTitle->setVisible(value);
    txtLyric->setVisible(value && !IsSynced_);
    lstSynced->setVisible(value && IsSynced_);
}

void frmLyric::SetVisible_Image(bool value) {
    picGuide->setVisible(false);
    for (QWidget* w : {picLyricPanel, static_cast<QWidget*>(picLyric),
                       static_cast<QWidget*>(hscLyric), static_cast<QWidget*>(vscLyric)})
        w->setVisible(value);
}

void frmLyric::ChangeLyric(int32_t chengeNumber) {
    if (LyricFile_.Count() == 0)
        return;  // the song's own lyrics: no file to step to
    const int32_t last = LyricFile_.Count() - 1;
    int32_t index = CurrentIndex_ + chengeNumber;
    if (index > last)
        index = 0;
    if (index < 0)
        index = std::max(0, last);
    DispLyric(index);
}

void frmLyric::setColor(const QColor& setBack, const QColor& setFore) {
    for (QWidget* w : {static_cast<QWidget*>(txtLyric), static_cast<QWidget*>(lblTitle),
                       static_cast<QWidget*>(lblGuide1), static_cast<QWidget*>(lblGuide2),
                       static_cast<QWidget*>(lstSynced), static_cast<QWidget*>(lblShift)})
        paint(w, setBack, &setFore);
    // The line heard, and the shift notice, in the same two colours the other way round.
    for (QWidget* w : {static_cast<QWidget*>(lstSynced), static_cast<QWidget*>(lblShift)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Highlight, setFore);
        p.setColor(QPalette::HighlightedText, setBack);
        if (w == lblShift) {
            p.setColor(QPalette::Window, setFore);
            p.setColor(QPalette::WindowText, setBack);
        }
        w->setPalette(p);
    }
    for (QWidget* w : {picGuide, static_cast<QWidget*>(picLyric), picLyricPanel})
        paint(w, setBack, nullptr);
}

void frmLyric::Form_Resize() {
    if (IsAdjusting_)
        return;
    handledSize_ = size();
    const bool minimized = isMinimized();
    if (!minimized && WasMinimized_)
        AjdustFormSize();
    if (!minimized && !IsImageMode_)
        keepTextModeSize(outerSize());
    WasMinimized_ = minimized;
    ArrangeControls();
}

void frmLyric::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A hidden window's size arrives again when it is shown: that is not the user's resize.
    if (size() != handledSize_)
        Form_Resize();
}

void frmLyric::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() != WasMinimized_)
        Form_Resize();
}

void frmLyric::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (IsSynced_ && ctrl && (key == Qt::Key_Right || key == Qt::Key_Left))
        shiftTiming(key == Qt::Key_Right ? kShiftStep : -kShiftStep);
    else if (key == Qt::Key_Right)
        ChangeLyric(1);
    else if (key == Qt::Key_Left)
        ChangeLyric(-1);
    else if (key == Qt::Key_Escape)
        hide();
}

void frmLyric::keyPressEvent(QKeyEvent* event) {
    Form_KeyDown(event->key(), event->modifiers());
    event->accept();  // nothing can be typed
}

bool frmLyric::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == txtActive) {
        if (type == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            Form_KeyDown(key->key(), key->modifiers());
            return true;
        }
        return type == QEvent::InputMethod;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::MouseButton button = mouse->button();
    if (watched == txtLyric->viewport()) {
        txtActive->setFocus();
        return true;
    }
    if (watched == lstSynced->viewport()) {  // the selection is the line heard, not the user's
        txtActive->setFocus();
        if (type == QEvent::MouseButtonPress && button == Qt::LeftButton)
            if (const QListWidgetItem* item = lstSynced->itemAt(mouse->position().toPoint()))
                seekToLine(lstSynced->row(item));
        return true;
    }
    if (type != QEvent::MouseButtonPress)
        return false;
    if (watched == lblTitle)
        ChangeLyric(button == Qt::RightButton ? -1 : 1);
    else if (watched == lblGuide1)
        ChangeLyric(1);
    else if (watched == lblGuide2)
        ChangeLyric(-1);
    else
        return false;
    return true;
}

void frmLyric::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    followHeard();
}

void frmLyric::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    follow_->stop();
}

void frmLyric::closeEvent(QCloseEvent* event) {
    if (UnloadFlg) {
        event->accept();
        return;
    }
    hide();
    event->ignore();
}
