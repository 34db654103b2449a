#pragma once

#include <QString>

// The picture a song carries (an ID3 APIC frame, a FLAC or Vorbis picture block, an MP4 cover),
// saved as a file the desktop can show. One picture at a time: saving the next one, or the end
// of this object, removes the last.
class CoverArt {
public:
    // `folder` receives the pictures; by default $XDG_RUNTIME_DIR (private to the user and
    // gone at log-out), else the system's temporary folder.
    explicit CoverArt(QString folder = QString());
    ~CoverArt();
    CoverArt(const CoverArt&) = delete;
    CoverArt& operator=(const CoverArt&) = delete;

    // The saved picture of `songPath`, or "" when it has none or it cannot be saved.
    QString SaveFor(const QString& songPath);

private:
    void removeLast();

    QString folder_;
    QString last_;
    quint64 count_ = 0;
};
