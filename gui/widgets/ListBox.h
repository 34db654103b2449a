#pragma once

#include <QListView>
#include <QStringList>

class ListBoxModel;

// The player's list box: a list view with 12-pixel rows of equal height, one selected row at
// most, and the events the main window handles (keys, focus, clicks, dropped files) as signals.
class ListBox : public QListView {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 12;

    explicit ListBox(QWidget* parent = nullptr);

    using RowText = QString (*)(const QString& entry);

    void setRows(const QStringList& rows);  // replaces every row; leaves no row selected
    // One row per entry, its text made from the entry when the row is shown; the box keeps its
    // own copy of the entries (shared until either side changes).
    void setEntries(const QStringList& entries, RowText rowText);
    void clear() { setRows({}); }
    void addRow(const QString& text);
    int count() const;
    QString rowText(int row) const;

    int listIndex() const;       // the selected row, -1 for none
    void setListIndex(int row);  // -1 clears the selection; out of range is ignored
    void scrollRowToTop(int row);
    int visibleRows() const;

    void setAcceptFileDrops(bool on);
    // Called by a keyDown handler that acted on the key, so the list does not act on it too.
    void swallowKey() { swallow_ = true; }

Q_SIGNALS:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    void gotFocus();
    void rightMouseDown();
    void leftClicked();
    void rowDoubleClicked();
    void selectionMoved();  // the selected row changed, by the user or by code; read listIndex()
    void filesDropped(const QStringList& localPaths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void noteSelection();  // reports a change of the selected row once

    ListBoxModel* model_;
    bool acceptDrops_ = false;
    bool swallow_ = false;
    int reported_ = -1;  // the selected row as last reported
};
