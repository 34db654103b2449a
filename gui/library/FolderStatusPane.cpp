#include "FolderStatusPane.h"

#include "gui/LayoutMath.h"
#include "gui/widgets/ClickLabel.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QFrame>
#include <QLabel>
#include <algorithm>

using namespace modZAUtil;

FolderStatusPane::FolderStatusPane(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    lblFolderViewCurrentFolder = new ElidingLabel(QString(), this);
    lblFolderViewCurrentFolder->setGeometry(4, 2, 100, 14);
    // The folder's own name is the part worth keeping of a long path.
    lblFolderViewCurrentFolder->setElideMode(Qt::ElideLeft);
    lblFolderCount = MakeLabel(this, QStringLiteral("0"), {0, 2, 28, 14});
    lblFolder = MakeLabel(this, QStringLiteral("フォルダ"), {0, 2, 46, 14});
    lblFileCount = MakeLabel(this, QStringLiteral("0"), {0, 2, 34, 14});
    lblFile = MakeLabel(this, QStringLiteral("ファイル"), {0, 2, 28, 14});
    for (QLabel* word : {lblFolder, lblFile})  // as wide as the word in the window's font
        word->resize(word->fontMetrics().horizontalAdvance(word->text()) + 2, word->height());
    lblFolderCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblFileCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int i = 0; i < 3; ++i) {
        shpEntryFolder[i] = new QFrame(this);
        shpEntryFolder[i]->setFrameShape(QFrame::Box);
        shpEntryFolder[i]->setAutoFillBackground(true);
        shpEntryFolder[i]->setGeometry(0, 21, 60, 18);
        lblEntryFolder[i] = MakeClickLabel(this, QString::number(i + 1) + QStringLiteral("Folder"),
                                           {0, 21, 60, 18});
        lblEntryFolder[i]->setAlignment(Qt::AlignCenter);
        lblEntryFolder[i]->setContentsMargins(2, 0, 2, 0);
        lblEntryFolder[i]->setElideMode(Qt::ElideRight);  // a long name keeps its start
        lblEntryFolder[i]->setCursor(Qt::PointingHandCursor);
        connect(lblEntryFolder[i], &ClickLabel::mouseDown, this,
                [this, i](Qt::MouseButton) { Q_EMIT entryFolderClicked(i); });
    }
}

void FolderStatusPane::setFolder(const QString& path) {
    lblFolderViewCurrentFolder->setFullText(path);
    lblFolderViewCurrentFolder->setToolTip(PlainToolTip(path));
}

void FolderStatusPane::setCounts(int32_t folders, int32_t files) {
    lblFolderCount->setText(QString::number(folders));
    lblFileCount->setText(QString::number(files));
}

void FolderStatusPane::setEntryFolder(int index, const QString& name) {
    lblEntryFolder[index]->setFullText(name);
    lblEntryFolder[index]->setToolTip(PlainToolTip(name));
    lblEntryFolder[index]->setVisible(!name.isEmpty());
    shpEntryFolder[index]->setVisible(!name.isEmpty());
}

void FolderStatusPane::arrange() {
    LayoutMath::FolderStatusInput in;
    in.width = width();
    in.fileWidth = lblFile->width();
    in.fileCountWidth = lblFileCount->width();
    in.folderWidth = lblFolder->width();
    in.folderCountWidth = lblFolderCount->width();
    in.firstTabLeft = lblEntryFolder[0]->x();
    const LayoutMath::FolderStatusPlacement p = LayoutMath::LayoutFolderViewStatus(in);
    lblFile->move(p.fileLeft, lblFile->y());
    lblFileCount->move(p.fileCountLeft, lblFileCount->y());
    lblFolder->move(p.folderLeft, lblFolder->y());
    lblFolderCount->move(p.folderCountLeft, lblFolderCount->y());
    lblFolderViewCurrentFolder->resize(std::max(0, p.folderCountLeft - 8),
                                       lblFolderViewCurrentFolder->height());
    for (int i = 0; i < 3; ++i) {
        lblEntryFolder[i]->setGeometry(p.tabLeft[i], lblEntryFolder[i]->y(), p.tabWidth[i],
                                       lblEntryFolder[i]->height());
        shpEntryFolder[i]->setGeometry(lblEntryFolder[i]->geometry());
    }
}

void FolderStatusPane::setColors(const QColor& back, const QColor& fore) {
    PaintWidget(this, back, fore);
    for (QLabel* l : {static_cast<QLabel*>(lblFolderViewCurrentFolder), lblFolderCount, lblFolder,
                      lblFileCount, lblFile})
        PaintWidget(l, back, fore);
    for (int i = 0; i < 3; ++i) {  // the tabs the other way round
        PaintWidget(lblEntryFolder[i], fore, back);
        PaintWidget(shpEntryFolder[i], fore, back);
    }
}

void FolderStatusPane::setLabelsTransparent() {
    for (QLabel* l : {static_cast<QLabel*>(lblFolderViewCurrentFolder), lblFolderCount,
                      lblFileCount, lblFolder, lblFile})
        MakeTransparent(l);
    for (ClickLabel* l : lblEntryFolder)
        MakeTransparent(l);
}
