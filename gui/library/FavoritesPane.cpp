#include "FavoritesPane.h"

#include "gui/widgets/ListBox.h"
#include "gui/widgets/WidgetHelpers.h"

using namespace modZAUtil;

FavoritesPane::FavoritesPane(QWidget* parent) : QWidget(parent) {
    lstFavoriteList = new ListBox(this);
    lstFavoriteList->setObjectName(QStringLiteral("lstFavoriteList"));
    lstFavoriteList->setAccessibleName(QStringLiteral("お気に入りリスト"));
    connect(lstFavoriteList, &ListBox::gotFocus, this, &FavoritesPane::gotFocus);
    connect(lstFavoriteList, &ListBox::rowDoubleClicked, this, &FavoritesPane::rowDoubleClicked);
    connect(lstFavoriteList, &ListBox::keyDown, this, &FavoritesPane::keyDown);
    connect(lstFavoriteList, &ListBox::rightMouseDown, this, &FavoritesPane::rightMouseDown);
}

void FavoritesPane::setLists(const clsArrayList& paths) {
    ShowListInListBox(*lstFavoriteList, paths);
}

int FavoritesPane::selectedRow() const {
    return lstFavoriteList->listIndex();
}

void FavoritesPane::selectRow(int row) {
    lstFavoriteList->setListIndex(row);
}

void FavoritesPane::swallowKey() {
    lstFavoriteList->swallowKey();
}

void FavoritesPane::watchKeys(QObject* filter) {
    lstFavoriteList->installEventFilter(filter);
}

bool FavoritesPane::isList(const QObject* o) const {
    return o == lstFavoriteList;
}

void FavoritesPane::arrange() {
    lstFavoriteList->setGeometry(rect());
}

void FavoritesPane::setColors(const QColor& back, const QColor& fore) {
    PaintWidget(lstFavoriteList, back, fore);
}
