#include "ListBox.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QUrl>

// The rows of a list box. Row texts are made only for the rows the view shows, so a playlist of
// thirty thousand songs costs one shared list, not a second list of row strings.
class ListBoxModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(QStringList entries, ListBox::RowText rowText) {
        beginResetModel();
        entries_ = std::move(entries);
        rowText_ = rowText;
        endResetModel();
    }
    void append(const QString& text) {
        if (rowText_) {  // the rows so far become plain texts
            QStringList plain;
            plain.reserve(entries_.size());
            for (const QString& e : std::as_const(entries_))
                plain << rowText_(e);
            entries_ = plain;
            rowText_ = nullptr;
        }
        beginInsertRows({}, static_cast<int>(entries_.size()), static_cast<int>(entries_.size()));
        entries_ << text;
        endInsertRows();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(entries_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= entries_.size() || role != Qt::DisplayRole)
            return {};
        const QString& e = entries_.at(index.row());
        return rowText_ ? rowText_(e) : e;
    }

private:
    QStringList entries_;
    ListBox::RowText rowText_ = nullptr;
};

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

    // A 12-pixel font is a pixel or two taller than a 12-pixel row. Centred, it loses the
    // bottom of "g" and "y" to the next row; so the text sits on a baseline that keeps the
    // descenders in its own row, and the tallest strokes may reach into the row above, which
    // is already painted.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* view = opt.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, view);

        const QFontMetrics fm(opt.font);
        // The same inner margin the style gives the text it draws itself.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view)
                                   .adjusted(margin, 0, -margin, 0);
        const QString shown = fm.elidedText(text, opt.textElideMode, textRect.width());
        const bool selected = opt.state.testFlag(QStyle::State_Selected);
        painter->save();
        painter->setClipping(false);
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(QPalette::Normal,
                                          selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QPoint(textRect.left(), opt.rect.bottom() + 1 - fm.descent()), shown);
        painter->restore();
    }
};
}  // namespace

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListBoxModel(this)) {
    setModel(model_);
    setItemDelegate(new FixedRowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setSpacing(0);
    // Kanji need the whole row: at 12 pixels their strokes still land on whole pixels, smaller
    // they blur into grey.
    QFont f = font();
    f.setPixelSize(kRowHeight);
    setFont(f);
    // The layout gives a list 4 pixels more than its rows: 2 on each side, frame included, so
    // no sliver of a further row shows at the bottom.
    const int margin = std::max(0, 2 - frameWidth());
    setViewportMargins(margin, margin, margin, margin);
    // The selection, not the current row: a mouse press moves the current row before the
    // selection follows, and whoever hears of the move reads the selected row.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListBox::noteSelection);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { reported_ = -1; });
}

void ListBox::noteSelection() {
    const int row = listIndex();
    if (row == reported_)
        return;
    reported_ = row;
    Q_EMIT selectionMoved();
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const {
    // Ctrl+click on the selected row would leave no row selected; a list box keeps its row.
    const auto command = QListView::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate
                                                           : command;
}

void ListBox::setRows(const QStringList& rows) {
    model_->reset(rows, nullptr);
    selectionModel()->clear();
}

void ListBox::setEntries(const QStringList& entries, RowText rowText) {
    model_->reset(entries, rowText);
    selectionModel()->clear();
}

void ListBox::addRow(const QString& text) {
    model_->append(text);
}

int ListBox::count() const {
    return model_->rowCount();
}

QString ListBox::rowText(int row) const {
    return model_->data(model_->index(row, 0), Qt::DisplayRole).toString();
}

int ListBox::listIndex() const {
    const QModelIndexList sel = selectionModel()->selectedRows();
    return sel.isEmpty() ? -1 : sel.first().row();
}

void ListBox::setListIndex(int row) {
    if (row < 0) {
        selectionModel()->clear();
        noteSelection();
        return;
    }
    if (row >= count())
        return;
    const QModelIndex idx = model_->index(row, 0);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    scrollTo(idx);
}

void ListBox::scrollRowToTop(int row) {
    if (row >= 0 && row < count())
        scrollTo(model_->index(row, 0), QAbstractItemView::PositionAtTop);
}

int ListBox::visibleRows() const {
    return height() / kRowHeight;
}

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
