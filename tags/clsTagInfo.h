#pragma once

#include <QByteArray>
#include <QString>

class clsTagStream;

// Reads title, artist, album, track, year and the readings of one file: for an MP3 the ID3v2
// tag at its start (versions 2.2, 2.3 and 2.4), otherwise an ID3v1/v1.1 tag at its end; for
// other files their own tags through TagLib (TagLibReader), else the same ID3 tags. It only
// reads; a missing or unreadable file gives no tag. Damaged tags give what was read before the
// damage.
class clsTagInfo {
public:
    QString Title;
    QString ArtistName;
    QString Album;
    QString Track;  // as stored, for example "3" or "3/12"
    QString Year;
    // The readings ("sort" fields) of title, artist and album, empty when the tag has none.
    // The album artist's reading stands in for the artist's when the artist has none and
    // the album artist is the same person.
    QString TitleReading;
    QString ArtistReading;
    QString AlbumReading;
    bool IsValid = false;

    void GetTagInfo(const QString& agePath);
    void Clear();

    // A field keeps at most this many characters: no window, label or desktop notice shows
    // more, and a tag of tens of thousands of characters must not reach them.
    static constexpr qsizetype kMaxFieldChars = 1024;
    // `text` for one line of a label: line breaks and other control characters as spaces.
    static QString OneLine(QString text);

private:
    enum class Field {
        None,
        Title,
        ArtistName,
        Album,
        Track,
        Year,
        RecordingTime,
        TitleReading,
        ArtistReading,
        AlbumReading,
        AlbumArtist,
        AlbumArtistReading
    };

    static QString Capped(QString text);  // at most kMaxFieldChars, never half a character
    bool ReadWithTagLib(const QString& path);
    bool ReadId3v2(int fd, qint64 fileSize);
    bool ReadId3v1(int fd, qint64 fileSize);
    void ReadFrames(clsTagStream& stream, int majorVersion, bool unsynchronised);
    void StoreFrame(Field field, const QByteArray& body);
    static Field FieldOfFrame(const char* id, int majorVersion);
    static QString DecodeFrameText(const QByteArray& body);
    void TakeAlbumArtistReading();

    QString FilePath;
    QString albumArtist_;
    QString albumArtistReading_;
};
