#include "FileCollector.h"

#include "core/modZAUtil.h"

#include <algorithm>

namespace {
// One row per file-type box: its bit and the endings it collects.
struct FileTypeBit {
    int32_t bit;
    std::initializer_list<const char*> endings;
};
const FileTypeBit kFileTypes[] = {
    {1, {".mp3"}},
    {2, {".wma"}},
    {4, {".wav"}},
    {8, {".mid"}},
    {16, {".flac"}},
    {32, {".ogg"}},
    {64, {".opus"}},
    {128, {".m4a", ".aac"}},
    {256, {".ape"}},
    {512, {".wv"}},
    {1024, {".tta"}},
    {2048, {".tak"}},
    {4096, {".aif", ".aiff", ".aifc"}},
    {8192, {".mp2", ".mpa"}},
    {16384, {".dsf", ".dff"}},
    {32768, {".mka", ".webm"}},
    {65536, {".ac3"}},
};
static_assert(std::size(kFileTypes) == FileCollector::kFileTypeCount);
}  // namespace

QStringList FileCollector::Extensions(int32_t getFileType) {
    QStringList extensions;
    for (const FileTypeBit& type : kFileTypes)
        if (getFileType & type.bit)
            for (const char* ending : type.endings)
                extensions << QString::fromLatin1(ending);
    return extensions;
}

bool FileCollector::IsChosenNewType(const QString& path, int32_t getFileType) {
    for (const FileTypeBit& type : kFileTypes)
        if (type.bit >= 16 && (getFileType & type.bit))
            for (const char* ending : type.endings)
                if (path.endsWith(QLatin1StringView(ending), Qt::CaseInsensitive))
                    return true;
    return false;
}

QString FileCollector::Collect(clsArrayList& list, const QString& folder, int32_t getFileType,
                               bool includeSubFolders) {
    const QStringList extensions = Extensions(getFileType);
    if (extensions.isEmpty())
        return {};
    return modZAUtil::ScanFolder(list, folder, extensions, includeSubFolders);
}

bool FileCollector::IsRoot(const QString& path) {
    return path == QStringLiteral("/");
}

bool FileCollector::NeedsRootQuestion(const QString& folder, bool includeSubFolders) {
    return includeSubFolders && IsRoot(folder);
}

QString FileCollector::RootQuestionText(const QString& folder) {
    return folder + QStringLiteral("の検索は時間がかかる可能性があります。続けますか？");
}

void FileCollector::RemoveIgnoredFiles(clsArrayList& list, int32_t firstIndex,
                                       const clsArrayList& ignoreWords) {
    if (ignoreWords.Count() == 0 || firstIndex < 0 || firstIndex >= list.Count())
        return;
    const QStringList& words = ignoreWords.items();
    QStringList kept = list.items().mid(0, firstIndex);
    for (qsizetype k = firstIndex; k < list.Count(); ++k) {
        const QString& path = list.items()[k];
        const QString name = modZAUtil::GetFileName(path);
        const bool ignored = std::any_of(words.begin(), words.end(), [&](const QString& w) {
            return name.contains(w, Qt::CaseInsensitive);
        });
        if (!ignored)
            kept << path;
    }
    // One rebuild instead of a delete per entry: deleting shifts the whole tail each time.
    if (kept.size() != list.Count())
        list.assign(std::move(kept));
}

void FileCollector::TidyNewEntries(clsArrayList& list, int32_t firstIndex, const QString& folder,
                                   const clsArrayList* ignoreWords,
                                   const PlaylistOps::TrackLookup& lookup) {
    if (ignoreWords)
        RemoveIgnoredFiles(list, firstIndex, *ignoreWords);
    if (firstIndex < list.Count() && !modZAUtil::HasSubFolders(folder))
        PlaylistOps::SortByTrack(list, firstIndex, lookup);
}

int32_t FileCollector::RemoveLineBreakNames(clsArrayList& list, int32_t firstIndex) {
    if (firstIndex < 0 || firstIndex >= list.Count())
        return 0;
    const QStringList& items = list.items();
    if (std::none_of(items.begin() + firstIndex, items.end(), modZAUtil::HasLineBreak))
        return 0;
    QStringList kept = items.mid(0, firstIndex);
    for (qsizetype k = firstIndex; k < items.size(); ++k)
        if (!modZAUtil::HasLineBreak(items[k]))
            kept << items[k];
    const auto removed = static_cast<int32_t>(items.size() - kept.size());
    list.assign(std::move(kept));
    return removed;
}

QString FileCollector::LineBreakNamesText(int32_t count) {
    return QStringLiteral("改行を含む名前のファイル%1個は取得できません。").arg(count);
}

FileCollector::PathKind FileCollector::Classify(const QString& path) {
    if (path.isEmpty())
        return PathKind::Other;
    if (modZAUtil::FolderExists(path))
        return PathKind::Folder;
    const QString tail = path.right(3);
    for (const char* audio : {"wma", "mp3", "wav", "cda", "mid"})
        if (tail.compare(QLatin1StringView(audio), Qt::CaseInsensitive) == 0)
            return PathKind::AudioFile;
    if (tail.compare(QLatin1StringView("m3u"), Qt::CaseInsensitive) == 0)
        return PathKind::PlaylistFile;
    return PathKind::Other;
}

QString FileCollector::AddPath(clsArrayList& list, const QString& path, int32_t getFileType) {
    switch (Classify(path)) {
    case PathKind::Folder:
        return Collect(list, path, getFileType, true);
    case PathKind::AudioFile:
        list.Add(path);
        return {};
    case PathKind::PlaylistFile:
        // An unreadable playlist file adds nothing; the drop goes on with the next path.
        modZAUtil::ReadLinesToList(path, list, nullptr, modZAUtil::IfMissing::Report);
        return {};
    case PathKind::Other:
        if (IsChosenNewType(path, getFileType))
            list.Add(path);
        break;
    }
    return {};
}
