#include "TrackEntries.h"

#include "core/modZAUtil.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <sys/stat.h>

namespace {

bool canEmbed(const QString& path) {
    return modZAUtil::EndsWithAny(path, {".flac", ".wv", ".ape"});
}

// Modification time in nanoseconds and size, so a sheet rewritten within a second is read again.
struct Stamp {
    int64_t modified = -1;
    int64_t size = -1;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QString& path) {
    struct stat st {};
    if (::stat(modZAUtil::NativePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec, int64_t(st.st_size)};
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QList<CueSheet::ListedTrack> readTracks(const QString& path) {
    std::optional<CueSheet> sheet;
    if (TrackEntries::IsCueName(path))
        sheet = CueSheet::ReadFile(path);
    else if (canEmbed(path))
        sheet = CueSheet::ReadEmbedded(path);
    if (!sheet)
        return {};
    return CueSheet::Tracks(*sheet, folderOf(path),
                            [](const QString& file) { return modZAUtil::FileExists(file); });
}

struct Kept {
    Stamp stamp;
    QList<CueSheet::ListedTrack> tracks;
};

// Far more sheets than any playlist names; past it the store starts afresh.
constexpr qsizetype kMaxKept = 4096;
QMutex keptLock;
QHash<QString, Kept>& kept() {
    static QHash<QString, Kept> sheets;
    return sheets;
}

}  // namespace

bool TrackEntries::IsCueName(const QString& path) {
    return path.endsWith(QLatin1StringView(".cue"), Qt::CaseInsensitive);
}

std::optional<CueSheet::TrackReference> TrackEntries::Reference(const QString& entry) {
    return CueSheet::DecodeTrackReference(entry, &modZAUtil::FileExists);
}

bool TrackEntries::IsTrack(const QString& entry) {
    return Reference(entry).has_value();
}

QString TrackEntries::FilePath(const QString& entry) {
    const auto reference = Reference(entry);
    return reference ? reference->path : entry;
}

QList<CueSheet::ListedTrack> TrackEntries::SheetTracks(const QString& path) {
    const bool cue = IsCueName(path);
    if (!cue && !canEmbed(path))
        return {};
    const Stamp stamp = stampOf(path);
    if (stamp == Stamp{})
        return {};
    QList<CueSheet::ListedTrack> tracks = readTracks(path);
    // Images without a sheet are most of a collection and are never asked for again.
    if (!cue && tracks.isEmpty())
        return tracks;
    const QMutexLocker lock(&keptLock);
    if (kept().size() >= kMaxKept)
        kept().clear();
    kept().insert(path, {stamp, tracks});
    return tracks;
}

std::optional<CueSheet::ListedTrack> TrackEntries::Find(const QString& entry) {
    const auto reference = Reference(entry);
    return reference ? Find(*reference) : std::nullopt;
}

std::optional<CueSheet::ListedTrack> TrackEntries::Find(const CueSheet::TrackReference& reference) {
    const Stamp stamp = stampOf(reference.path);
    if (stamp == Stamp{})
        return std::nullopt;
    std::optional<QList<CueSheet::ListedTrack>> tracks;
    {
        const QMutexLocker lock(&keptLock);
        const auto it = kept().constFind(reference.path);
        if (it != kept().cend() && it->stamp == stamp)
            tracks = it->tracks;
    }
    if (!tracks)
        tracks = SheetTracks(reference.path);
    for (const CueSheet::ListedTrack& track : *tracks)
        if (track.number == reference.number)
            return track;
    return std::nullopt;
}

QString TrackEntries::RowText(const QString& entry) {
    const auto reference = Reference(entry);
    if (!reference)
        return modZAUtil::ListRowText(entry);
    if (const auto track = Find(*reference))
        return track->title;
    return modZAUtil::ListRowText(reference->path) + u' ' +
           QStringLiteral("%1").arg(reference->number, 2, 10, QChar(u'0'));
}

QStringList TrackEntries::Entries(const QString& sheetPath,
                                  const QList<CueSheet::ListedTrack>& tracks) {
    QStringList entries;
    entries.reserve(tracks.size());
    for (const CueSheet::ListedTrack& track : tracks)
        entries << CueSheet::EncodeTrackReference({sheetPath, track.number});
    return entries;
}
