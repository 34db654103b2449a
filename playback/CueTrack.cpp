#include "CueTrack.h"

#include "library/TrackEntries.h"
#include "tags/clsTagInfo.h"

int64_t CueTrack::Frames(CueSheet::Time time, int sampleRate) {
    constexpr int64_t perSecond = CueSheet::Time::period::den;
    const int64_t flicks = std::max<int64_t>(time.count(), 0);
    // In two parts, so that hours at 192 kHz do not overflow.
    return flicks / perSecond * sampleRate + flicks % perSecond * sampleRate / perSecond;
}

QString CueTrack::AudioPath(const QString& entry) {
    const std::optional<CueSheet::ListedTrack> track = TrackEntries::Find(entry);
    return track ? track->path : entry;
}

void CueTrack::ReadTags(clsTagInfo& tag, const QString& entry) {
    const std::optional<CueSheet::ListedTrack> track = TrackEntries::Find(entry);
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
