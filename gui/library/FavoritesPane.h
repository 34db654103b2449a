#pragma once

#include <QWidget>

class ListBox;
class clsArrayList;

// The favorite lists' box: the saved playlists by name. UI thread only.
class FavoritesPane : public QWidget {
    Q_OBJECT
    friend class MainWindowDriver;

public:
    explicit FavoritesPane(QWidget* parent);

    void setLists(const clsArrayList& paths);
    int selectedRow() const;  // -1 for none
    void selectRow(int row);
    // The key being handled goes no further than the box.
    void swallowKey();
    // The window sees the box's keys and focus before the box does.
    void watchKeys(QObject* filter);
    bool isList(const QObject* o) const;
    void arrange();
    void setColors(const QColor& back, const QColor& fore);

Q_SIGNALS:
    void gotFocus();
    void rowDoubleClicked();
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void rightMouseDown();

private:
    ListBox* lstFavoriteList = nullptr;
};
