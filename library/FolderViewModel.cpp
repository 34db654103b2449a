#include "FolderViewModel.h"

#include "FileCollector.h"
#include "TrackEntries.h"
#include "core/modZAUtil.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

QStringList FolderViewModel::Rows(const clsArrayList& folders, const clsArrayList& files) {
    const int32_t f = folders.Count();
    QStringList rows;
    rows.reserve(1 + f + files.Count());
    rows << (f == 0 ? QStringLiteral("・・") : QStringLiteral("┬ ・・"));
    for (int32_t i = 0; i < f; ++i)
        rows << (i == f - 1 ? QStringLiteral("└ ") : QStringLiteral("├ ")) +
                    modZAUtil::GetFileName(folders.Value(i));
    const QString indent = f > 0 ? QStringLiteral("    ") : QString();
    for (const QString& file : files.items())
        rows << indent + (TrackEntries::IsTrack(file) ? TrackEntries::RowText(file)
                                                      : modZAUtil::GetFileName(file));
    return rows;
}

int32_t FolderViewModel::FileIndex(int32_t row, int32_t folderCount) {
    return IsFileRow(row, folderCount) ? row - folderCount - 1 : -1;
}

int32_t FolderViewModel::FolderIndex(int32_t row, int32_t folderCount) {
    return IsFolderRow(row, folderCount) ? row - 1 : -1;
}

void FolderViewModel::PushReturnRow(clsArrayList& returnRows, int32_t row) {
    returnRows.Add(QString::number(row));
}

int32_t FolderViewModel::PopReturnRow(clsArrayList& returnRows) {
    const int32_t n = returnRows.Count();
    if (n == 0)
        return 0;
    bool ok = false;
    const int32_t row = returnRows.Value(n - 1).toInt(&ok);
    returnRows.Delete(n - 1);
    return ok && row >= 0 ? row : 0;
}

bool FolderViewModel::LoadFolders(clsArrayList& folders, const QString& folder) {
    folders.Clear();
    if (folder.isEmpty())
        return false;
    std::error_code ec;
    fs::directory_iterator it(fs::path(modZAUtil::NativePath(folder).toStdString()), ec);
    if (ec)
        return false;
    QStringList found;
    bool ok = true;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            ok = false;
            break;
        }
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            const std::string& native = it->path().native();
            const QByteArrayView name = QByteArrayView(native).sliced(native.rfind('/') + 1);
            found << modZAUtil::JoinPath(folder, modZAUtil::DecodePath(name));
        }
    }
    modZAUtil::SortPathsByName(found);
    folders.append(found);
    return ok;
}

QString FolderViewModel::LoadFiles(clsArrayList& files, const QString& folder,
                                   int32_t getFileType) {
    files.Clear();
    return FileCollector::Collect(files, folder, getFileType, false);
}

QString FolderViewModel::ParentFolder(const QString& folder) {
    if (folder.isEmpty())
        return {};
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    if (path == QStringLiteral("/") || slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}
