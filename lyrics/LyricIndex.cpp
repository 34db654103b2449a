#include "lyrics/LyricIndex.h"

#include "core/UserDialogs.h"
#include "core/modZAUtil.h"

using namespace modZAUtil;

const QStringList& LyricIndex::Extensions() {
    static const QStringList extensions = {QStringLiteral(".lrc"), QStringLiteral(".txt"),
                                           QStringLiteral(".bmp"), QStringLiteral(".gif"),
                                           QStringLiteral(".jpg"), QStringLiteral(".jpeg"),
                                           QStringLiteral(".png")};
    return extensions;
}

QString LyricIndex::ScanLyricFolder(clsArrayList& list, const QString& folder) {
    return ScanFolder(list, folder, Extensions(), true);
}

QString LyricIndex::IndexFile(const QString& appFolder) {
    return JoinPath(appFolder, QStringLiteral("ZAlyric.lst"));
}

QString LyricIndex::LoadLyricList(clsArrayList& list, const QString& folder,
                                  int32_t makeLyricListAuto, const QString& appFolder,
                                  UserDialogs* dialogs) {
    if (makeLyricListAuto == 1)
        return folder.isEmpty() ? QString() : ScanLyricFolder(list, folder);
    const QString index = IndexFile(appFolder);
    if (FileExists(index))
        ReadLinesToList(index, list, dialogs);
    return {};
}

bool LyricIndex::WriteLyricList(const QString& folder, const QString& appFolder,
                                UserDialogs* dialogs) {
    if (folder.isEmpty())
        return true;
    clsArrayList found;
    const QString error = ScanLyricFolder(found, folder);
    if (!error.isEmpty() && dialogs)
        dialogs->message(error, QStringLiteral("ZAPT"));
    return WriteListToFile(IndexFile(appFolder), found, dialogs);
}
