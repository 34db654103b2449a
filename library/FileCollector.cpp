#include "FileCollector.h"

#include "TrackEntries.h"
#include "core/modZAUtil.h"

#include <QDir>
#include <QSet>
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

bool hasEnding(const QString& path, const QStringList& endings) {
    return std::any_of(endings.begin(), endings.end(), [&](const QString& ending) {
        return path.endsWith(ending, Qt::CaseInsensitive);
    });
}

// The collected files from `first` on with every sheet replaced by its tracks: a .cue lists the
// tracks whose file is of a chosen type and hides the files it names, an image that embeds a
// sheet lists that sheet's tracks.
void expandSheets(clsArrayList& list, qsizetype first, const QStringList& chosen) {
    const QStringList& items = list.items();
    QHash<qsizetype, QStringList> sheetEntries;
    QSet<QString> named;
    for (qsizetype k = first; k < items.size(); ++k) {
        if (!TrackEntries::IsCueName(items[k]))
            continue;
        QList<CueSheet::ListedTrack> tracks = TrackEntries::SheetTracks(items[k]);
        for (const CueSheet::ListedTrack& track : tracks)
            named.insert(QDir::cleanPath(track.path));
        tracks.removeIf(
            [&](const CueSheet::ListedTrack& track) { return !hasEnding(track.path, chosen); });
        sheetEntries.insert(k, TrackEntries::Entries(items[k], tracks));
    }
    QStringList out = items.mid(0, first);
    bool changed = false;
    for (qsizetype k = first; k < items.size(); ++k) {
        const QString& path = items[k];
        if (const auto it = sheetEntries.constFind(k); it != sheetEntries.cend()) {
            out << *it;
            changed = true;
        } else if (!named.isEmpty() && named.contains(QDir::cleanPath(path))) {
            changed = true;
        } else {
            const qsizetype before = out.size();
            clsArrayList one;
            FileCollector::AddFile(one, path);
            out << one.items();
            changed = changed || out.size() != before + 1 || out.back() != path;
        }
    }
    if (changed)
        list.assign(std::move(out));
}

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
    const qsizetype first = list.Count();
    const QString error = modZAUtil::ScanFolder(
        list, folder, extensions + QStringList{QStringLiteral(".cue")}, includeSubFolders);
    expandSheets(list, first, extensions);
    return error;
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
    // A sheet's tracks already come in its order; sorting them by number would interleave
    // the discs of a set kept in one folder.
    const QStringList& items = list.items();
    if (firstIndex >= 0 &&
        std::any_of(items.begin() + std::min<qsizetype>(firstIndex, items.size()), items.end(),
                    TrackEntries::IsTrack))
        return;
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
    for (const char* audio : {"wma", "mp3", "wav", "cda", "mid", "cue"})
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
        AddFile(list, path);
        return {};
    case PathKind::PlaylistFile:
        // An unreadable playlist file adds nothing; the drop goes on with the next path.
        ReadPlaylistFile(path, list, nullptr, modZAUtil::IfMissing::Report);
        return {};
    case PathKind::Other:
        if (IsChosenNewType(path, getFileType))
            AddFile(list, path);
        break;
    }
    return {};
}

void FileCollector::AddFile(clsArrayList& list, const QString& path) {
    const QList<CueSheet::ListedTrack> tracks = TrackEntries::SheetTracks(path);
    if (!tracks.isEmpty())
        list.append(TrackEntries::Entries(path, tracks));
    else if (!TrackEntries::IsCueName(path))
        list.Add(path);
}

bool FileCollector::ReadPlaylistFile(const QString& path, clsArrayList& list, UserDialogs* dialogs,
                                     modZAUtil::IfMissing ifMissing) {
    const qsizetype first = list.Count();
    if (!modZAUtil::ReadLinesToList(path, list, dialogs, ifMissing))
        return false;
    const QStringList& items = list.items();
    if (std::none_of(items.begin() + first, items.end(), TrackEntries::IsCueName))
        return true;
    QStringList out = items.mid(0, first);
    for (qsizetype k = first; k < items.size(); ++k) {
        if (TrackEntries::IsCueName(items[k])) {
            clsArrayList tracks;
            AddFile(tracks, items[k]);
            out << tracks.items();
        } else {
            out << items[k];
        }
    }
    list.assign(std::move(out));
    return true;
}
