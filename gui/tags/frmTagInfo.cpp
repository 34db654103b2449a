#include "gui/tags/frmTagInfo.h"

#include "core/clsArrayList.h"
#include "core/modZAUtil.h"
#include "gui/frmMain.h"
#include "library/TrackEntries.h"
#include "playback/AudioFileInfo.h"
#include "playback/CueTrack.h"
#include "settings/SchemeColor.h"
#include "tags/SongPicture.h"
#include "tags/clsTagInfo.h"

#include <QApplication>
#include <QBuffer>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QPromise>
#include <QScreen>
#include <QTextDocument>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>
#include <memory>

namespace {

// A label's accessible name is the text it shows; a value carries its heading as description.
QLabel* makeLabel(const QString& text, const QString& heading, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);  // names and tags are shown as they are, "&" too
    label->setAccessibleDescription(heading);
    return label;
}

QFont smallFont(QFont font) {
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 0.85);
    else  // a font sized in pixels
        font.setPixelSize(std::max(1, qRound(font.pixelSize() * 0.85)));
    return font;
}

// The path wraps; a longer one is elided in its middle.
constexpr int kPathLines = 3;
// Room for the spacing between the columns and for the window's frame.
constexpr int kFrameSlackPx = 48;

// A picture's size in its header beyond which it is not decoded at all (8192 × 8192 still
// passes); the allocation limit catches a header that lies.
constexpr qint64 kMaxPicturePixels = qint64(1) << 26;
constexpr int kPictureAllocationMB = 256;

struct LoadedPicture {
    QImage image;
    QString description;
};

// The song's picture scaled into a square of `boxPx`, or a null image. Pool thread.
LoadedPicture readScaledPicture(const QString& path, int boxPx) {
    SongPicture::Picture picture = SongPicture::Find(path);
    if (picture.bytes.isEmpty())
        return {};
    QBuffer buffer(&picture.bytes);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kPictureAllocationMB);
    const QSize size = reader.size();
    if (size.isEmpty() || qint64(size.width()) * size.height() > kMaxPicturePixels)
        return {};
    reader.setScaledSize(size.scaled(boxPx, boxPx, Qt::KeepAspectRatio).expandedTo({1, 1}));
    return {reader.read(), picture.description};
}

}  // namespace

frmTagInfo::frmTagInfo(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("ファイル情報"));
    setAccessibleName(QStringLiteral("ファイル情報"));
    setFocusPolicy(Qt::StrongFocus);  // the arrow keys and Escape come to the window
    setAutoFillBackground(true);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    const auto addRow = [&](QLabel*& caption, QLabel*& value, const QString& captionText,
                            const QString& name, const QString& designText) {
        const int row = grid->rowCount();
        caption = makeLabel(captionText, QString(), this);
        value = makeLabel(designText, name, this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(320);
        grid->addWidget(caption, row, 0, Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(value, row, 1);
    };
    addRow(lblFileNameTitle, lblFileName, QStringLiteral("ファイル名 ： "),
           QStringLiteral("ファイル名"), QStringLiteral("FILE NAME"));
    addRow(lblPathTitle, lblPath, QStringLiteral("パス ： "), QStringLiteral("パス"),
           QStringLiteral("PATH"));
    lblPath->setWordWrap(true);
    const auto addReading = [&](QLabel*& reading, const QString& name) {
        reading = makeLabel(QString(), name + QStringLiteral("の読み"), this);
        reading->setFont(smallFont(reading->font()));
        reading->setTextInteractionFlags(Qt::TextSelectableByMouse);
        reading->hide();
        grid->addWidget(reading, grid->rowCount(), 1);
    };
    addRow(lblTitleTitle, lblTitle, QStringLiteral("タイトル ： "), QStringLiteral("タイトル"),
           QStringLiteral("TITLE"));
    addReading(lblTitleReading, QStringLiteral("タイトル"));
    addRow(Label3, lblArtist, QStringLiteral("アーティスト ： "), QStringLiteral("アーティスト"),
           QStringLiteral("ARTIST NAME"));
    addReading(lblArtistReading, QStringLiteral("アーティスト"));
    addRow(Label5, lblAlbum, QStringLiteral("アルバム ： "), QStringLiteral("アルバム"),
           QStringLiteral("ALBUM NAME"));
    addReading(lblAlbumReading, QStringLiteral("アルバム"));
    addRow(Label7, lblTrack, QStringLiteral("トラック ： "), QStringLiteral("トラック"),
           QStringLiteral("TRACK NO"));
    addRow(Label9, lblYear, QStringLiteral("年 ： "), QStringLiteral("年"), QStringLiteral("YEAR"));

    lblAudio = makeLabel(QString(), QStringLiteral("音声の形式"), this);
    lblAudio->setFont(smallFont(lblAudio->font()));
    grid->addWidget(lblAudio, grid->rowCount(), 1);

    lblBack = new ClickLabel(QStringLiteral("<< 前の曲"), this);
    lblNext = new ClickLabel(QStringLiteral("次の曲 >>"), this);
    for (QLabel* l : {static_cast<QLabel*>(lblBack), static_cast<QLabel*>(lblNext)})
        l->setCursor(Qt::PointingHandCursor);
    imgClose = new QToolButton(this);
    imgClose->setText(QStringLiteral("×"));  // drawn in the window's text colour, as the labels
    imgClose->setAutoRaise(true);
    imgClose->setFocusPolicy(Qt::NoFocus);
    imgClose->setAccessibleName(QStringLiteral("閉じる"));
    imgClose->setToolTip(QStringLiteral("閉じる"));

    auto* steps = new QHBoxLayout;
    steps->addWidget(lblBack);
    steps->addStretch();
    steps->addWidget(lblNext);
    steps->addSpacing(12);
    steps->addWidget(imgClose);
    picPicture = new QLabel(this);
    picPicture->setAccessibleName(QStringLiteral("ジャケット画像"));
    picPicture->hide();
    auto* fields = new QHBoxLayout;
    fields->addLayout(grid, 1);
    fields->addWidget(picPicture, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(steps);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(lblBack, &ClickLabel::mouseDown, this, [this] { Step(-1); });
    connect(lblNext, &ClickLabel::mouseDown, this, [this] { Step(+1); });
    connect(imgClose, &QToolButton::clicked, this, &QDialog::accept);
}

QList<QLabel*> frmTagInfo::valueLabels() const {
    return {lblFileName, lblPath,  lblTitle,        lblArtist,        lblAlbum,       lblTrack,
            lblYear,     lblAudio, lblTitleReading, lblArtistReading, lblAlbumReading};
}

void frmTagInfo::ClearTagLabels() {
    for (QLabel* l : valueLabels()) {
        l->clear();
        l->setToolTip(QString());
    }
    for (QLabel* l : {lblTitleReading, lblArtistReading, lblAlbumReading})
        l->hide();
    ++pictureSerial_;
    picPicture->hide();
}

int frmTagInfo::valueWidthLimit() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return QWIDGETSIZE_MAX;
    int captions = 0;
    for (QLabel* l :
         {lblFileNameTitle, lblPathTitle, lblTitleTitle, Label3, Label5, Label7, Label9})
        captions = std::max(captions, l->sizeHint().width());
    const QMargins m = layout()->contentsMargins();
    return std::max(lblTitle->minimumWidth(), s->availableGeometry().width() - captions - m.left() -
                                                  m.right() - kFrameSlackPx);
}

void frmTagInfo::showValue(QLabel* label, const QString& value, int widthLimit) {
    const QString line = clsTagInfo::OneLine(value);
    const bool wraps = label->wordWrap();
    const QString shown =
        label->fontMetrics().elidedText(line, wraps ? Qt::ElideMiddle : Qt::ElideRight,
                                        wraps ? kPathLines * widthLimit : widthLimit);
    label->setMaximumWidth(widthLimit);
    label->setText(shown);
    label->setToolTip(shown == line ? QString()
                                    : Qt::convertFromPlainText(line, Qt::WhiteSpaceNormal));
}

void frmTagInfo::showReading(QLabel* label, const QString& reading, int widthLimit) {
    label->setVisible(!reading.isEmpty());
    showValue(label, reading, widthLimit);
}

void frmTagInfo::DispTagInfo() {
    if (!FileList || dispIndex_ < 0 || dispIndex_ >= FileList->Count()) {
        ClearTagLabels();
        return;
    }
    const QString path = FileList->Value(dispIndex_);
    if (!modZAUtil::FileExists(path) && !TrackEntries::Reference(path)) {
        ClearTagLabels();
        return;
    }
    clsTagInfo tag;
    CueTrack::ReadTags(tag, path);
    const QString space = QStringLiteral(" ");
    const int widthLimit = valueWidthLimit();
    showValue(lblFileName, path.mid(path.lastIndexOf(u'/') + 1) + space, widthLimit);
    showValue(lblPath, path + space, widthLimit);
    showValue(lblTitle, tag.Title + space, widthLimit);
    showValue(lblArtist, tag.ArtistName + space, widthLimit);
    showValue(lblAlbum, tag.Album + space, widthLimit);
    showReading(lblTitleReading, tag.TitleReading, widthLimit);
    showReading(lblArtistReading, tag.ArtistReading, widthLimit);
    showReading(lblAlbumReading, tag.AlbumReading, widthLimit);
    showValue(lblTrack, tag.Track + space, widthLimit);
    showValue(lblYear, tag.Year + space, widthLimit);
    lblAudio->setText(AudioFileInfo::Read(path).Summary());
    loadPicture(CueTrack::AudioPath(path));
}

void frmTagInfo::loadPicture(const QString& path) {
    const uint64_t serial = ++pictureSerial_;
    // The last picture's place stays while the next loads, so stepping through an album
    // does not make the window jump.
    picPicture->setPixmap(QPixmap());
    const int boxPx = qCeil(kPictureBoxPx * devicePixelRatioF());
    auto promise = std::make_shared<QPromise<LoadedPicture>>();
    auto* watcher = new QFutureWatcher<LoadedPicture>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, serial] {
        watcher->deleteLater();
        if (serial != pictureSerial_)  // another file is shown now
            return;
        const LoadedPicture loaded = watcher->result();
        showPicture(loaded.image, loaded.description);
        Q_EMIT pictureLoaded();
    });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, path, boxPx] {
        promise->start();
        promise->addResult(readScaledPicture(path, boxPx));
        promise->finish();
    });
}

void frmTagInfo::showPicture(QImage image, const QString& description) {
    if (image.isNull()) {
        picPicture->hide();
        return;
    }
    image.setDevicePixelRatio(devicePixelRatioF());
    picPicture->setFixedSize(image.deviceIndependentSize().toSize());
    picPicture->setPixmap(QPixmap::fromImage(std::move(image)));
    picPicture->setAccessibleDescription(description);
    picPicture->show();
    if (!isVisible())
        return;
    // The window grows to the right: keep it within the screen.
    layout()->activate();
    const QScreen* s = screen();
    const int beyond = s ? frameGeometry().right() - s->availableGeometry().right() : 0;
    const int room = s ? frameGeometry().left() - s->availableGeometry().left() : 0;
    if (beyond > 0 && room > 0)
        move(x() - std::min(beyond, room), y());
}

void frmTagInfo::Step(int32_t step) {
    const int32_t count = FileList ? FileList->Count() : 0;
    if (count <= 0)
        return;
    dispIndex_ += step;
    if (dispIndex_ >= count)
        dispIndex_ = 0;
    else if (dispIndex_ < 0)
        dispIndex_ = count - 1;
    DispTagInfo();
}

void frmTagInfo::setColor(int32_t setBack, int32_t setFore) {
    const QPalette system = QApplication::palette();
    const QColor back = SchemeColor::ToQColor(setBack, system);
    const QColor fore = SchemeColor::ToQColor(setFore, system);
    QPalette p = palette();
    p.setColor(QPalette::Window, back);
    setPalette(p);
    QPalette cp = imgClose->palette();
    cp.setColor(QPalette::Button, back);
    cp.setColor(QPalette::ButtonText, fore);
    imgClose->setPalette(cp);
    for (QLabel* l : findChildren<QLabel*>()) {
        QPalette lp = l->palette();
        lp.setColor(QPalette::Window, back);
        lp.setColor(QPalette::WindowText, fore);
        l->setPalette(lp);
        l->setAutoFillBackground(true);
    }
}

void frmTagInfo::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
        Step(+1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        Step(-1);
        break;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        break;
    default:
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
}

void frmTagInfo::mousePressEvent(QMouseEvent* event) {
    // Labels pass their presses on to the window: only its own background closes it.
    if (!childAt(event->position().toPoint()))
        accept();
    event->accept();
}
