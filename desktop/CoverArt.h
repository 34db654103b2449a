#pragma once

#include <QByteArray>
#include <QString>

// The picture of a song for the desktop: the front cover (else the first picture) of an ID3v2
// tag or of a FLAC file's picture block, saved as a file; else a cover.jpg, folder.jpg or
// front.jpg (or .png) beside the song. One saved picture at a time: saving the next one, or
// the end of this object, removes the last.
class CoverArt {
public:
    // `folder` receives the pictures; by default $XDG_RUNTIME_DIR (private to the user and
    // gone at log-out), else the system's temporary folder.
    explicit CoverArt(QString folder = QString());
    ~CoverArt();
    CoverArt(const CoverArt&) = delete;
    CoverArt& operator=(const CoverArt&) = delete;

    // The picture of `songPath` as a file, or "" when it has none.
    QString SaveFor(const QString& songPath);

    // The picture bytes a song file carries, or empty.
    static QByteArray EmbeddedPicture(const QString& songPath);

private:
    void removeLast();

    QString folder_;
    QString saved_;  // the picture this object wrote
    quint64 count_ = 0;
};
