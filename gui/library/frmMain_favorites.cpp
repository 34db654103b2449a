// Favorite lists: playlists saved as .m3u files in the list folder.
#include "core/modZAUtil.h"
#include "gui/frmMain.h"
#include "gui/library/FavoritesPane.h"
#include "gui/widgets/WidgetHelpers.h"
#include "library/FavoriteListStore.h"
#include "library/FileCollector.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <cstring>

void frmMain::LoadFavoriteLists() {
    const FavoriteListStore store(appFolder_);
    const QString error = store.Load(FavoriteLists);
    if (!error.isEmpty()) {
        Dialogs().message(error, QStringLiteral("ZAPT"));
    }
}

void frmMain::ShowFavoriteLists() {
    picFavorites->setLists(FavoriteLists);
}

void frmMain::cmdSaveList_Click() {
    if (PlayList.Count() == 0)
        return;
    QString proposed;
    const int selected = picFavorites->selectedRow();
    if (ActiveListName == QStringLiteral("lstFavoriteList") && selected >= 0)
        proposed = FavoriteListStore::NameOf(FavoriteLists.Value(selected));
    QString name;
    if (!Dialogs().input(QStringLiteral("リストの名前を入力してください。"), QStringLiteral("ZAPT"),
                         proposed, name) ||
        name.isEmpty())
        return;
    const FavoriteListStore store(appFolder_);
    const QString path = store.PathForName(name);
    if (path.isEmpty()) {
        // A name that would leave the list folder, or is no file name at all.
        Dialogs().message(modZAUtil::kWriteErrorText, QStringLiteral("ERROR"));
        return;
    }
    const bool existed = QFileInfo::exists(path);
    if (existed) {
        if (Dialogs().message(
                QStringLiteral("同名のリストファイルが既に存在します。上書きしますか？"),
                QStringLiteral("ZAPT"), UserDialogs::OkCancel, UserDialogs::Ok) != UserDialogs::Ok)
            return;
    }
    if (!modZAUtil::WriteListToFile(path, PlayList, &Dialogs()))
        return;
    if (!existed) {
        FavoriteLists.Clear();
        LoadFavoriteLists();
        ShowFavoriteLists();
    }
}

void frmMain::cmdGetList_Click() {
    lstPlayList->setFocus();
    const int selected = picFavorites->selectedRow();
    if (selected < 0)
        return;
    PlayList.Clear();
    FileCollector::ReadPlaylistFile(FavoriteLists.Value(selected), PlayList, &Dialogs(),
                                    modZAUtil::IfMissing::Report);
    LimitPlayList();
    RefreshPlayList();
}

void frmMain::cmdAddList_Click() {
    lstPlayList->setFocus();
    const int selected = picFavorites->selectedRow();
    if (selected < 0)
        return;
    const int row = lstPlayList->listIndex();
    FileCollector::ReadPlaylistFile(FavoriteLists.Value(selected), PlayList, &Dialogs(),
                                    modZAUtil::IfMissing::Report);
    LimitPlayList();
    RefreshPlayList();
    SelectListRow(lstPlayList, row);
    lstPlayList->setFocus();
}

void frmMain::DeleteSelectedFavoriteList() {
    const int k = picFavorites->selectedRow();
    if (k < 0)
        return;
    if (Dialogs().message(QStringLiteral("選択されたリストを削除します。よろしいですか？"),
                          QStringLiteral("リストの削除"), UserDialogs::OkCancel,
                          UserDialogs::Ok) != UserDialogs::Ok)
        return;
    if (!FavoriteListStore::DeleteEntry(FavoriteLists, k)) {
        const int error = errno;
        if (error != ENOENT) {  // the file stays, and so does its row
            const QString name = modZAUtil::GetFileName(FavoriteLists.Value(k)).chopped(4);
            Dialogs().message(name + QStringLiteral("を削除できません。\n") +
                                  QString::fromLocal8Bit(std::strerror(error)),
                              QStringLiteral("リストの削除"));
            return;
        }
        FavoriteLists.Delete(k);  // already gone: only its row is left
    }
    ShowFavoriteLists();
    picFavorites->selectRow(FavoriteListStore::SelectionAfterDelete(k, FavoriteLists.Count()));
}

void frmMain::mnuExecList_Click() {
    const int selected = picFavorites->selectedRow();
    if (selected >= 0 && !OpenUrl(QUrl::fromLocalFile(FavoriteLists.Value(selected))))
        ShowNoOpenerMessage(QStringLiteral("リスト"));
}

void frmMain::mnuOpneByEditor_Click() {
    const int selected = picFavorites->selectedRow();
    if (selected < 0)
        return;
    static const char* const editors[] = {"gnome-text-editor", "gedit", "kate", "kwrite",
                                          "mousepad",          "pluma", "xed",  "featherpad"};
    for (const char* editor : editors) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty() && QProcess::startDetached(program, {FavoriteLists.Value(selected)}))
            return;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || !QProcess::startDetached(opener, {FavoriteLists.Value(selected)}))
        ShowNoOpenerMessage(QStringLiteral("リスト"));
}

void frmMain::lstFavoriteList_KeyDown(int key, Qt::KeyboardModifiers) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdGetList_Click();
        break;
    case Qt::Key_Space:
        picFavorites->swallowKey();
        cmdAddList_Click();
        break;
    case Qt::Key_Delete:
        picFavorites->swallowKey();
        DeleteSelectedFavoriteList();
        break;
    default:
        break;
    }
}
