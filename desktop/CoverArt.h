#pragma once

#include <QByteArray>
#include <QString>

// The picture of a song for the desktop (SongPicture's): the one the file carries, saved as a
// file, else the image beside the song. One saved picture at a time: saving the next one, or
// the end of this object, removes the last.
//
// The pictures are written only into a folder of this object's own, made with mode 0700 under
// `parent` when the first picture is saved and removed with the object: the parent may be a
// shared folder such as /tmp, where another user could plant a link under a name we chose.
// UI thread only.
class CoverArt {
public:
    // `parent` holds the private folder; by default $XDG_RUNTIME_DIR (private to the user and
    // gone at log-out), else the system's temporary folder.
    explicit CoverArt(QString parent = QString());
    ~CoverArt();
    CoverArt(const CoverArt&) = delete;
    CoverArt& operator=(const CoverArt&) = delete;

    // The picture of `songPath` as a file, or "" when it has none.
    QString SaveFor(const QString& songPath);

    // The picture bytes a song file carries, or empty.
    static QByteArray EmbeddedPicture(const QString& songPath);

private:
    void removeLast();
    bool makeFolder();

    QString parent_;
    QString folder_;  // the private folder, once made
    QString saved_;   // the picture this object wrote
    quint64 count_ = 0;
};
