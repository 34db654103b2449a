#pragma once

#include <QString>
#include <QStringList>

// Title, artist, album, track, year and the readings of a file that is not MP3, through
// TagLib: Vorbis comments (FLAC, Ogg Vorbis, Opus), MP4 atoms, ASF attributes, RIFF INFO and a
// WAV's ID3 chunk, APE tags. Text without its own encoding (RIFF INFO, ID3 encoding 0, ID3v1) goes
// through TagText::DecodeUnmarked like every other such text. Any thread may call it.
namespace TagLibReader {

struct Fields {
    QString title, artist, album, track, year;
    // The "sort" fields: Vorbis ARTISTSORT and the like, MP4 soar, sonm, soal and soaa.
    QString titleReading, artistReading, albumReading, albumArtist, albumArtistReading;
};

// False when TagLib knows no tag in the file (an unknown or damaged file: never a crash).
bool Read(const QByteArray& nativePath, Fields& fields);

// Reads the tags TagLib does not: Matroska and WebM, DSF and DSDIFF, TAK, AC-3 and MP2, and
// TTA's APE tag. Gives title, artist, album, track, date and album artist, or nothing. The
// player's engine sets the decoder module's reader; until then those files have no tag here.
using ContainerReader = QStringList (*)(const QString& path);
void SetContainerReader(ContainerReader reader);

}  // namespace TagLibReader
