// Feeds arbitrary bytes to the cue sheet reader, as a .cue and as a FLAC that may embed one,
// lays the tracks out over files that all exist, and writes and reads back a track reference
// made from the same bytes.
#include "FuzzInputFile.h"
#include "library/CueSheet.h"

#include <QByteArray>
#include <bitset>

namespace {

void CheckSheet(const CueSheet& sheet) {
    FUZZ_CHECK(sheet.files.size() <= CueSheet::kMaxFiles);
    std::bitset<CueSheet::kMaxTracks + 1> seen;
    int count = 0;
    for (const CueSheet::File& file : sheet.files) {
        FUZZ_CHECK(file.name.size() <= CueSheet::kMaxTextChars);
        for (const CueSheet::Track& track : file.tracks) {
            FUZZ_CHECK(track.number >= 1 && track.number <= CueSheet::kMaxTracks);
            FUZZ_CHECK(!seen.test(size_t(track.number)));
            seen.set(size_t(track.number));
            ++count;
            FUZZ_CHECK(track.title.size() <= CueSheet::kMaxTextChars);
            FUZZ_CHECK(!track.index01 || track.index01->count() >= 0);
        }
    }
    FUZZ_CHECK(count <= CueSheet::kMaxTracks);

    const auto tracks =
        CueSheet::Tracks(sheet, QStringLiteral("/m"), [](const QString&) { return true; });
    FUZZ_CHECK(tracks.size() <= count);
    for (const CueSheet::ListedTrack& t : tracks) {
        FUZZ_CHECK(!t.title.isEmpty() && t.start.count() >= 0);
        FUZZ_CHECK(!t.end || *t.end > t.start);
    }
    FUZZ_CHECK(CueSheet::Tracks(sheet, QStringLiteral("/m"), [](const QString&) {
                   return false;
               }).isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile file("cuesheet");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const CueSheet sheet = CueSheet::Parse(bytes);
    CheckSheet(sheet);

    file.write(data, size);
    const auto read = CueSheet::ReadFile(file.qpath());
    if (qint64(size) > CueSheet::kMaxBytes)
        FUZZ_CHECK(!read);
    else
        FUZZ_CHECK(read && read->files.size() == sheet.files.size() && read->title == sheet.title);
    if (const auto embedded = CueSheet::ReadEmbedded(file.qpath())) {
        FUZZ_CHECK(embedded->files.size() == 1 && !embedded->files.front().tracks.isEmpty());
        CheckSheet(*embedded);
    }

    const QString text = QString::fromUtf8(bytes.left(200));
    const CueSheet::TrackReference reference{u'/' + text + QStringLiteral("/x.cue"),
                                             int(size % CueSheet::kMaxTracks) + 1};
    FUZZ_CHECK(CueSheet::DecodeTrackReference(CueSheet::EncodeTrackReference(reference)) ==
               reference);
    for (const QString& entry : {text, QString(QStringLiteral("file://") + text),
                                 QString(QStringLiteral("cue://") + text)})
        if (const auto decoded = CueSheet::DecodeTrackReference(entry))
            FUZZ_CHECK(decoded->number >= 1 && decoded->number <= CueSheet::kMaxTracks &&
                       !decoded->path.isEmpty());
    return 0;
}
