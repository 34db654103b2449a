#include "FavoriteListStore.h"

#include "core/modZAUtil.h"

#include <unistd.h>

FavoriteListStore::FavoriteListStore(const QString& applicationFolder)
    : applicationFolder_(applicationFolder) {}

QString FavoriteListStore::Folder() const {
    QString base = applicationFolder_;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    return base == QStringLiteral("/") ? QStringLiteral("/list") : base + QStringLiteral("/list");
}

QString FavoriteListStore::Load(clsArrayList& favoriteLists) const {
    return modZAUtil::ScanFolder(favoriteLists, Folder(), {QStringLiteral(".m3u")}, false);
}

bool FavoriteListStore::IsValidName(const QString& name) {
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    return !name.contains(u'/') && !name.contains(QChar(u'\0'));
}

QString FavoriteListStore::PathForName(const QString& name) const {
    if (!IsValidName(name))
        return {};
    return Folder() + u'/' + name + QStringLiteral(".m3u");
}

bool FavoriteListStore::Exists(const QString& name) const {
    const QString path = PathForName(name);
    return !path.isEmpty() && modZAUtil::FileExists(path);
}

QString FavoriteListStore::NameOf(const QString& path) {
    return modZAUtil::ListRowText(path);
}

bool FavoriteListStore::DeleteEntry(clsArrayList& favoriteLists, int32_t row) {
    return modZAUtil::DeleteListedFile(favoriteLists, row);
}

int32_t FavoriteListStore::SelectionAfterDelete(int32_t row, int32_t countAfter) {
    return modZAUtil::SelectionAfterDelete(row, countAfter);
}
