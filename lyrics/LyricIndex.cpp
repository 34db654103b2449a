#include "lyrics/LyricIndex.h"

#include "core/UserDialogs.h"
#include "core/modZAUtil.h"

using namespace modZAUtil;

const QStringList& LyricIndex::Extensions() {
    static const QStringList extensions = {QStringLiteral(".txt"),  QStringLiteral(".bmp"),
                                           QStringLiteral(".gif"),  QStringLiteral(".jpg"),
                                           QStringLiteral(".jpeg"), QStringLiteral(".png")};
    return extensions;
}

int LyricIndex::ExtensionLength(QStringView fileName) {
    const qsizetype n = fileName.size();
    return n >= 5 && fileName[n - 5] == u'.' && !fileName.last(4).contains(u'.') ? 5 : 4;
}

QString LyricIndex::ScanLyricFolder(clsArrayList& list, const QString& folder) {
    clsArrayList found;
    const QString error = ScanFolder(found, folder, Extensions(), true);
    // Only a real extension counts: "notjpeg" is not a picture.
    QStringList kept;
    kept.reserve(found.Count());
    for (const QString& path : found.items()) {
        const QString name = GetFileName(path);
        const int ext = ExtensionLength(name);
        if (name.size() >= ext && name.at(name.size() - ext) == u'.')
            kept.append(path);
    }
    list.append(kept);
    return error;
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
