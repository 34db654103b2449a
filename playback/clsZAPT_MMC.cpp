#include "clsZAPT_MMC.h"

#include "playback/decoder/PcmSourceFactory.h"
#include "playback/mci/MciControl.h"

namespace {
bool libraryName(const QString& path) {
    const QString ending = path.right(3);
    return ending == u"mp3" || ending == u"wav";
}
}  // namespace

clsZAPT_MMC::clsZAPT_MMC() {
    vbmp3_init();
}

bool clsZAPT_MMC::isLibraryRoute() const {
    return LibraryRoute;
}

void clsZAPT_MMC::sendCommand(const char* command) {
    if (MciControl)
        MciControl->setCommand(QString::fromLatin1(command));
}

QString clsZAPT_MMC::getPath() const {
    return Opened ? CurrentPath : QString();
}

// The media-control object knows the length of its files, so the time display and the seek bar
// work for every format, not only for the library's.
int32_t clsZAPT_MMC::getTotalSecond() const {
    if (!Opened)
        return 0;
    if (!isLibraryRoute() && MciControl)
        return MciControl->lengthSeconds();
    return TotalSec;
}

int32_t clsZAPT_MMC::playSecond() {
    if (!isLibraryRoute() && MciControl) {
        PlaySec = MciControl->positionSeconds();
        return PlaySec;
    }
    vbmp3_getState(&PlaySec);
    return PlaySec;
}

int32_t clsZAPT_MMC::bitrate() const {
    return FileInfo.bitRate;
}

void clsZAPT_MMC::setMMC(::MciControl* age_mmc) {
    MciControl = age_mmc;
}

clsZAPT_MMC::Prepared clsZAPT_MMC::Prepare(const QString& filePath) {
    Prepared prepared;
    prepared.path = filePath;
    if (libraryName(filePath)) {
        prepared.source = PcmSourceFactory::open(filePath.toUtf8().toStdString());
        prepared.library = prepared.source != nullptr;
    }
    if (!prepared.source && filePath.right(3) != u"cda")
        prepared.source = ::MciControl::OpenSource(filePath);
    return prepared;
}

bool clsZAPT_MMC::open_(Prepared prepared) {
    QueuedPath.clear();
    PendingSource.reset();
    CurrentPath = prepared.path;
    FileExtension = CurrentPath.right(3);
    sendCommand("stop");
    sendCommand("close");

    LibraryRoute = libraryName(CurrentPath);
    bool result = true;
    if (LibraryRoute) {
        // A source the library did not make closes what it had open, as a failed open does.
        const QByteArray utf8 = CurrentPath.toUtf8();
        result = vbmp3_openSource(utf8.constData(),
                                  prepared.library ? std::move(prepared.source) : nullptr,
                                  &FileInfo) != 0;
        if (result)
            TotalSec = FileInfo.totalSec;
        else if (openOnControl(std::move(prepared.source)))
            result = true;
    } else if (MciControl) {
        if (FileExtension == u"cda")
            MciControl->setDeviceType(QStringLiteral("CDAudio"));
        else if (FileExtension == u"mid")
            MciControl->setDeviceType(QStringLiteral("Sequencer"));
        else
            MciControl->setDeviceType(QString());
        PendingSource = std::move(prepared.source);
    }
    Opened = result;
    return result;
}

// The name said MP3 or WAV but the library cannot play the file: its content is something else
// (an M4A, Ogg or WebM named .mp3, a WAV that libsndfile refuses) and the control opens it by
// what it is. It is opened here, not at play, so a file neither can play fails its open_ as a
// bad MP3 always has.
bool clsZAPT_MMC::openOnControl(std::unique_ptr<PcmSource> source) {
    if (!MciControl)
        return false;
    MciControl->setDeviceType(QString());
    MciControl->setFileName(CurrentPath);
    MciControl->openSource(std::move(source));
    if (MciControl->lastError() != ::MciControl::NoError)
        return false;
    LibraryRoute = false;
    return true;
}

// The control opens the file only here, so a damaged file, a file without sound, a CD track or
// MIDI without a sound font fails here; the caller must hear of it or it waits for an end that
// never comes.
bool clsZAPT_MMC::play() {
    QueuedPath.clear();
    if (isLibraryRoute())
        return vbmp3_play() != 0;
    if (!MciControl)
        return false;
    // Already open when open_ handed the file over from the library.
    if (MciControl->mode() == ::MciControl::Mode::NotOpen ||
        MciControl->FileName() != CurrentPath) {
        MciControl->setFileName(CurrentPath);
        if (PendingSource) {
            MciControl->openSource(std::move(*PendingSource));
            PendingSource.reset();
        } else {
            sendCommand("open");
        }
        if (MciControl->lastError() != ::MciControl::NoError)
            return false;
    }
    sendCommand("play");
    return MciControl->lastError() == ::MciControl::NoError;
}

bool clsZAPT_MMC::stop_() {
    Opened = false;
    QueuedPath.clear();
    PendingSource.reset();
    if (isLibraryRoute()) {
        if (vbmp3_stop() == 0)
            return false;
        return vbmp3_close() != 0;
    }
    sendCommand("stop");
    sendCommand("close");
    return true;
}

// On the media-control route the seek is real as well (its result is the control's).
bool clsZAPT_MMC::seek_(int32_t Value) {
    QueuedPath.clear();  // a seek forgets a joined song
    if (isLibraryRoute())
        return vbmp3_seek(Value) != 0;
    return MciControl && MciControl->seekSeconds(Value);
}

int32_t clsZAPT_MMC::getState() {
    if (isLibraryRoute()) {
        int32_t scratch = 0;
        return vbmp3_getState(&scratch);
    }
    const QString last = MciControl ? MciControl->Command() : QString();
    if (last == u"play")
        return 1;
    if (last == u"pause")
        return 2;
    return 0;
}

bool clsZAPT_MMC::pause() {
    QueuedPath.clear();  // so does a pause
    if (isLibraryRoute())
        return vbmp3_pause() != 0;
    sendCommand("pause");
    return true;
}

bool clsZAPT_MMC::restart() {
    if (isLibraryRoute())
        return vbmp3_restart() != 0;
    sendCommand("play");
    return true;
}

int16_t clsZAPT_MMC::SetVolume(int32_t left, int32_t right) {
    return vbmp3_setVolume(left, right);
}

bool clsZAPT_MMC::queueNext(const QString& filePath, int32_t blankMillis) {
    if (QueuedPath == filePath && QueuedBlank == blankMillis && !filePath.isEmpty())
        return true;
    return queueNext(Prepare(filePath), blankMillis);
}

bool clsZAPT_MMC::queueNext(Prepared prepared, int32_t blankMillis) {
    if (QueuedPath == prepared.path && QueuedBlank == blankMillis && !QueuedPath.isEmpty())
        return true;
    dropQueued();
    // A join stays on one route: the library's file after the library's, the control's after
    // the control's.
    if (!Opened || !prepared.source || prepared.library != isLibraryRoute())
        return false;
    if (isLibraryRoute()) {
        const QByteArray utf8 = prepared.path.toUtf8();
        if (vbmp3_queueSource(utf8.constData(), std::move(prepared.source), blankMillis, nullptr) ==
            0)
            return false;
    } else if (!MciControl ||
               !MciControl->queueSource(prepared.path, std::move(prepared.source), blankMillis)) {
        return false;
    }
    QueuedPath = prepared.path;
    QueuedBlank = blankMillis;
    return true;
}

void clsZAPT_MMC::dropQueued() {
    if (QueuedPath.isEmpty())
        return;
    if (isLibraryRoute())
        vbmp3_dropQueued();
    else if (MciControl)
        MciControl->dropQueued();
    QueuedPath.clear();
}

bool clsZAPT_MMC::adoptJoined(const QString& filePath) {
    if (QueuedPath.isEmpty() || QueuedPath != filePath)
        return false;
    // Not yet heard: it stays joined, and the caller opens the file as usual.
    if (isLibraryRoute()) {
        if (vbmp3_takeJoined(&FileInfo) == 0)
            return false;
        TotalSec = FileInfo.totalSec;
    } else if (!MciControl || !MciControl->takeJoined(filePath)) {
        return false;
    }
    QueuedPath.clear();
    CurrentPath = filePath;
    FileExtension = filePath.right(3);
    Opened = true;
    return true;
}
