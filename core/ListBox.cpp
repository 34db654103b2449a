#include "ListBox.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QUrl>

namespace {
// Rows are exactly kRowHeight pixels so the layout can snap list heights to whole rows.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(ListBox::kRowHeight);
        return s;
    }
};
}  // namespace

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setItemDelegate(new FixedRowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setSpacing(0);
    QFont f = font();
    f.setPixelSize(10);
    setFont(f);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Q_EMIT selectionMoved(); });
}

void ListBox::setRows(const QStringList& rows) {
    model_->setStringList(rows);
    selectionModel()->clear();
}

void ListBox::addRow(const QString& text) {
    const int n = model_->rowCount();
    model_->insertRows(n, 1);
    model_->setData(model_->index(n), text);
}

int ListBox::count() const { return model_->rowCount(); }

QString ListBox::rowText(int row) const {
    return model_->data(model_->index(row), Qt::DisplayRole).toString();
}

int ListBox::listIndex() const {
    const QModelIndexList sel = selectionModel()->selectedRows();
    return sel.isEmpty() ? -1 : sel.first().row();
}

void ListBox::setListIndex(int row) {
    if (row < 0) {
        selectionModel()->clear();
        Q_EMIT selectionMoved();
        return;
    }
    if (row >= count())
        return;
    const QModelIndex idx = model_->index(row);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    scrollTo(idx);
}

void ListBox::scrollRowToTop(int row) {
    if (row >= 0 && row < count())
        scrollTo(model_->index(row), QAbstractItemView::PositionAtTop);
}

int ListBox::visibleRows() const { return height() / kRowHeight; }

void ListBox::setAcceptFileDrops(bool on) {
    acceptDrops_ = on;
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
    setDropIndicatorShown(false);
    setDragDropMode(on ? QAbstractItemView::DropOnly : QAbstractItemView::NoDragDrop);
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    swallow_ = false;
    Q_EMIT keyDown(event->key(), event->modifiers());
    if (swallow_ || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();  // a command of the window, not an edit or a selection change
        return;
    }
    QListView::keyPressEvent(event);
}

void ListBox::keyReleaseEvent(QKeyEvent* event) {
    Q_EMIT keyUp(event->key(), event->modifiers());
    QListView::keyReleaseEvent(event);
}

void ListBox::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    Q_EMIT gotFocus();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        Q_EMIT rightMouseDown();
        return;
    }
    QListView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT leftClicked();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT rowDoubleClicked();
}

void ListBox::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDrops_ && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptDrops_ && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ListBox::dropEvent(QDropEvent* event) {
    if (!acceptDrops_ || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!paths.isEmpty())
        Q_EMIT filesDropped(paths);
}
