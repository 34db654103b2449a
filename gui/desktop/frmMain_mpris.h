#pragma once

#include "desktop/CoverArt.h"
#include "desktop/MprisMapping.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <deque>
#include <functional>

class frmMain;
class PlayerController;

// The player on the session bus as org.mpris.MediaPlayer2.zapt (MPRIS 2), so the desktop's
// media keys, sound menu and tools such as playerctl control it. Every request goes through
// the main window's own commands; what the desktop sees is read from the window's state.
//
// A call is answered at once: its command is queued and run later from the event loop, one
// command a turn, with nobody waiting at the window (a message is shown without waiting, a
// question answered as if cancelled), so no call waits on a box and none opens a box inside
// another. Commands wait in the queue until the window has finished starting. UI thread only.
class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static QString BusName() { return QStringLiteral("org.mpris.MediaPlayer2.zapt"); }

    explicit MprisService(frmMain& window);
    ~MprisService() override;

    // Claims the bus name (or, when another player of this name runs, a name of this process
    // beside it) and the object; false with the reason when the bus refuses.
    bool Register(const QDBusConnection& bus, QString& problem);
    // Tells the desktop whatever the sequence announces: songs, the play state, seeks, the
    // modes and the volume, at once.
    void Follow(PlayerController& sequence);

    // Runs `command` after the call that asked for it has been answered.
    void Queue(std::function<void()> command);
    // The window has started: queued commands run from now on.
    void SetReady();
    // Commands queued and not yet run.
    size_t Pending() const { return commands_.size(); }

    // Sends PropertiesChanged for whatever differs from what the desktop was last told.
    void Refresh();
    // A song has started, also the one that just ended, again: it gets a new track id.
    void SongStarted();
    // The position jumped: Seeked with the new position.
    void Seeked();
    // Answers `call` with an error instead of the usual empty reply.
    void Refuse(const QDBusMessage& call, QDBusError::ErrorType type, const QString& text);
    // New play-number and repeat modes, as the mode buttons set them.
    void ApplyModes(MprisMapping::Modes modes);

    frmMain& window;

    // The player interface's properties as they are now.
    QString PlaybackStatus() const;
    QString LoopStatus() const;
    bool Shuffle() const;
    double Volume() const;
    QVariantMap Metadata() const;
    qlonglong Position() const;
    bool CanGoNext() const;
    bool CanPlay() const;
    bool CanSeek() const;
    QString CurrentTrackId() const;

private:
    void runNext();
    QVariantMap playerProperties() const;
    void emitChanged(const QString& interface, const QVariantMap& changed);

    QDBusConnection bus_{QString()};
    QString name_;
    QVariantMap told_;    // the player properties as last announced
    QString songPath_;    // the song the current track id belongs to
    quint64 serial_ = 0;  // counts the songs started in this run
    CoverArt art_;
    QString artPath_;  // the picture of the current song, saved for the desktop
    std::deque<std::function<void()>> commands_;
    bool ready_ = false;
    bool scheduled_ = false;  // a turn of the event loop will run the next command
};

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool Fullscreen READ Fullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ CanSetFullscreen)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService* service);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool Fullscreen() const { return false; }
    bool CanSetFullscreen() const { return false; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("ZAPT"); }
    QString DesktopEntry() const { return QStringLiteral("zapt"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const;

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    MprisService* service_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ Rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ Shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoNext)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPlay)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(MprisService* service);

    QString PlaybackStatus() const { return service_->PlaybackStatus(); }
    QString LoopStatus() const { return service_->LoopStatus(); }
    void setLoopStatus(const QString& status);
    double Rate() const { return 1.0; }
    void setRate(double) {}  // one speed only
    bool Shuffle() const { return service_->Shuffle(); }
    void setShuffle(bool shuffle);
    QVariantMap Metadata() const { return service_->Metadata(); }
    double Volume() const { return service_->Volume(); }
    void setVolume(double volume);
    qlonglong Position() const { return service_->Position(); }
    bool CanGoNext() const { return service_->CanGoNext(); }
    bool CanPlay() const { return service_->CanPlay(); }
    bool CanSeek() const { return service_->CanSeek(); }
    bool CanControl() const { return true; }

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    // The call itself comes along, to be answered with an error.
    void OpenUri(const QString& Uri, const QDBusMessage& call);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    static void seekTo(MprisService& service, int32_t second);

    MprisService* service_;
};
