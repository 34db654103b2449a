#include "CueTrack.h"

#include "core/modZAUtil.h"
#include "tags/clsTagInfo.h"

#include <QFileInfo>

std::optional<CueSheet::TrackReference> CueTrack::Reference(const QString& entry) {
    return CueSheet::DecodeTrackReference(entry, &modZAUtil::FileExists);
}

std::optional<CueSheet::ListedTrack> CueTrack::Find(const CueSheet::TrackReference& reference) {
    const std::optional<CueSheet> sheet = reference.path.endsWith(u".cue", Qt::CaseInsensitive)
                                              ? CueSheet::ReadFile(reference.path)
                                              : CueSheet::ReadEmbedded(reference.path);
    if (!sheet)
        return std::nullopt;
    const QString folder = QFileInfo(reference.path).absolutePath();
    for (CueSheet::ListedTrack& track : CueSheet::Tracks(*sheet, folder, &modZAUtil::FileExists))
        if (track.number == reference.number)
            return std::move(track);
    return std::nullopt;
}

int64_t CueTrack::Frames(CueSheet::Time time, int sampleRate) {
    constexpr int64_t perSecond = CueSheet::Time::period::den;
    const int64_t flicks = std::max<int64_t>(time.count(), 0);
    // In two parts, so that hours at 192 kHz do not overflow.
    return flicks / perSecond * sampleRate + flicks % perSecond * sampleRate / perSecond;
}

QString CueTrack::AudioPath(const QString& entry) {
    const std::optional<CueSheet::TrackReference> reference = Reference(entry);
    const std::optional<CueSheet::ListedTrack> track = reference ? Find(*reference) : std::nullopt;
    return track ? track->path : entry;
}

void CueTrack::ReadTags(clsTagInfo& tag, const QString& entry) {
    const std::optional<CueSheet::TrackReference> reference = Reference(entry);
    const std::optional<CueSheet::ListedTrack> track = reference ? Find(*reference) : std::nullopt;
    if (!track) {
        tag.GetTagInfo(entry);
        return;
    }
    tag.GetTagInfo(track->path);
    // The image's readings belong to the image's own names, not to the sheet's.
    const auto take = [](QString& field, QString* reading, const QString& fromSheet) {
        if (fromSheet.isEmpty())
            return;
        field = fromSheet;  // a sheet's text is already cut to a tag field's limit
        if (reading)
            reading->clear();
    };
    take(tag.Title, &tag.TitleReading, track->title);
    take(tag.ArtistName, &tag.ArtistReading, track->performer);
    take(tag.Album, &tag.AlbumReading, track->album);
    take(tag.Year, nullptr, track->date);
    tag.Track = QString::number(track->number);
    tag.IsValid = true;
}
