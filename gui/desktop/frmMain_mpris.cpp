// The media-control interface of the desktop: the adaptors turn each request into the command
// a button or menu item gives, and the service tells the desktop what the window's state is.
#include "gui/desktop/frmMain_mpris.h"

#include "core/Logging.h"
#include "desktop/CoverArt.h"
#include "desktop/MprisMapping.h"
#include "gui/StartPath.h"
#include "gui/frmMain.h"
#include "library/FileCollector.h"
#include "playback/CueTrack.h"
#include "playback/PlayerController.h"
#include "playback/Vbmp3VolumeControl.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <optional>

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

MprisMapping::Modes modesOf(const clsOption& o) {
    return {o.SongsToPlay(), o.Repeat()};
}

}  // namespace

// --- the window's side ----------------------------------------------------------------------

bool frmMain::StartMediaControls() {
    if (mediaControls_)
        return true;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    auto* service = new MprisService(*this);
    QString problem;
    if (!service->Register(bus, problem)) {
        delete service;
        qCWarning(lcDesktop, "media controls off: %s", qUtf8Printable(problem));
        return false;
    }
    mediaControls_ = service;
    if (sequence_)
        service->Follow(*sequence_);
    if (started_)
        service->SetReady();
    return true;
}

void frmMain::MediaControlsReady() {
    if (mediaControls_)
        mediaControls_->SetReady();
}

void frmMain::NotifyPlayState() {
    if (mediaControls_)
        mediaControls_->Refresh();
}

bool frmMain::OpenHandedPath(const QString& given) {
    const QString path = StartPath::Absolute(given, QDir::currentPath());
    const int32_t first = PlayList.Count();
    switch (StartPath::Classify(path)) {
    case StartPath::Kind::Folder:
        CollectFiles(PlayList, path, true);
        break;
    case StartPath::Kind::AudioFile:
        FileCollector::AddFile(PlayList, path);
        break;
    case StartPath::Kind::PlaylistFile:
        FileCollector::ReadPlaylistFile(path, PlayList, &Dialogs(), modZAUtil::IfMissing::Report);
        break;
    case StartPath::Kind::Missing:
    case StartPath::Kind::NotPlayable:
        return false;
    }
    RemoveLineBreakNames(first);
    LimitPlayList();
    RefreshPlayList();
    ShowPlayListCount(PlayList.Count());
    if (PlayList.Count() > first) {
        SelectListRow(lstPlayList, first);
        PlaySelectedRow();
    }
    NotifyPlayState();
    return true;
}

// --- the service --------------------------------------------------------------------------

MprisService::MprisService(frmMain& w) : QObject(&w), window(w) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

void MprisService::Follow(PlayerController& sequence) {
    connect(&sequence, &PlayerController::songStarted, this, &MprisService::SongStarted);
    connect(&sequence, &PlayerController::seeked, this, &MprisService::Seeked);
    for (auto changed : {&PlayerController::stopped, &PlayerController::modesChanged,
                         &PlayerController::volumeChanged})
        connect(&sequence, changed, this, &MprisService::Refresh);
    connect(&sequence, &PlayerController::songEnded, this, &MprisService::Refresh);
    connect(&sequence, &PlayerController::stateChanged, this, &MprisService::Refresh);
}

MprisService::~MprisService() {
    if (name_.isEmpty())
        return;
    bus_.unregisterObject(QLatin1String(kObjectPath));
    bus_.unregisterService(name_);
}

bool MprisService::Register(const QDBusConnection& bus, QString& problem) {
    if (!bus.isConnected()) {
        problem = QStringLiteral("no session bus");
        return false;
    }
    bus_ = bus;
    if (!bus_.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportAdaptors)) {
        problem = bus_.lastError().message();
        return false;
    }
    // A second player of another application folder takes a name of its own: media-key
    // handlers talk to every org.mpris.MediaPlayer2.* name they find.
    QString name = BusName();
    if (!bus_.registerService(name)) {
        name += QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
        if (!bus_.registerService(name)) {
            problem = bus_.lastError().message();
            bus_.unregisterObject(QLatin1String(kObjectPath));
            return false;
        }
    }
    name_ = name;
    told_ = playerProperties();
    return true;
}

void MprisService::Queue(std::function<void()> command) {
    commands_.push_back(std::move(command));
    if (ready_ && !scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &MprisService::runNext);
    }
}

void MprisService::SetReady() {
    ready_ = true;
    if (!commands_.empty() && !scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &MprisService::runNext);
    }
}

void MprisService::runNext() {
    scheduled_ = false;
    if (window.Ended()) {
        commands_.clear();
        return;
    }
    if (commands_.empty())
        return;
    // A box of the player's own waits for the user (the sequence may show one after a failed
    // song): the commands wait with it rather than run, and open boxes, inside its loop.
    if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        scheduled_ = true;
        QTimer::singleShot(std::chrono::milliseconds(200), this, &MprisService::runNext);
        return;
    }
    const std::function<void()> command = std::move(commands_.front());
    commands_.pop_front();
    // One command a turn: calls that arrive meanwhile are answered between two commands.
    if (!commands_.empty()) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &MprisService::runNext);
    }
    window.RunUnattended(command);
    Refresh();
}

void MprisService::SongStarted() {
    songPath_.clear();  // the next look gives the song a new track id, even the same path
    Refresh();
}

void MprisService::Refresh() {
    const QString path =
        PlaybackStatus() == QLatin1String("Stopped") ? QString() : window.Player->getPath();
    if (path != songPath_) {
        songPath_ = path;
        if (!path.isEmpty()) {
            ++serial_;
            artPath_ = art_.SaveFor(CueTrack::AudioPath(path));  // a track: its image's
        } else {
            artPath_ = art_.SaveFor(QString());
        }
    }
    const QVariantMap now = playerProperties();
    const QVariantMap changed = MprisMapping::Changed(told_, now);
    told_ = now;
    if (!changed.isEmpty())
        emitChanged(kPlayerInterface, changed);
}

// As the mode buttons leave them: stored, drawn and announced.
void MprisService::ApplyModes(MprisMapping::Modes modes) {
    window.Sequence().SetModes(modes.playNumber, modes.repeatMode);
}

void MprisService::Refuse(const QDBusMessage& call, QDBusError::ErrorType type,
                          const QString& text) {
    call.setDelayedReply(true);
    bus_.send(call.createErrorReply(type, text));
}

void MprisService::Seeked() {
    Q_EMIT findChild<MprisPlayerAdaptor*>()->Seeked(Position());
    Refresh();
}

void MprisService::emitChanged(const QString& interface, const QVariantMap& changed) {
    if (name_.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    bus_.send(signal);
}

QVariantMap MprisService::playerProperties() const {
    return {
        {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
        {QStringLiteral("LoopStatus"), LoopStatus()},
        {QStringLiteral("Shuffle"), Shuffle()},
        {QStringLiteral("Volume"), Volume()},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("CanGoNext"), CanGoNext()},
        {QStringLiteral("CanGoPrevious"), CanGoNext()},
        {QStringLiteral("CanPlay"), CanPlay()},
        {QStringLiteral("CanPause"), CanPlay()},
        {QStringLiteral("CanSeek"), CanSeek()},
    };
}

QString MprisService::PlaybackStatus() const {
    switch (window.Player ? window.Player->getState() : 0) {
    case 1:
        return QStringLiteral("Playing");
    case 2:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QString MprisService::LoopStatus() const {
    return MprisMapping::LoopStatus(modesOf(window.Options));
}

bool MprisService::Shuffle() const {
    return MprisMapping::Shuffle(modesOf(window.Options));
}

double MprisService::Volume() const {
    Vbmp3VolumeControl control;
    return MprisMapping::Volume(control.SoftVolume());
}

QVariantMap MprisService::Metadata() const {
    if (songPath_.isEmpty())
        return {};
    const clsTagInfo& tag = window.PlayingTagInfo;
    MprisMapping::Song song;
    song.path = songPath_;
    song.title = tag.Title;
    song.artist = tag.ArtistName;
    song.album = tag.Album;
    song.track = tag.Track;
    song.lengthSeconds = window.Player->getTotalSecond();
    song.artPath = artPath_;
    return MprisMapping::Metadata(song, serial_);
}

QString MprisService::CurrentTrackId() const {
    return songPath_.isEmpty() ? MprisMapping::NoTrack() : MprisMapping::TrackId(serial_);
}

qlonglong MprisService::Position() const {
    if (!window.Player || window.Player->getState() == 0)
        return 0;
    return MprisMapping::Microseconds(window.Player->playSecond());
}

bool MprisService::CanGoNext() const {
    return window.PlayList.Count() > 0;
}

bool MprisService::CanPlay() const {
    return window.PlayList.Count() > 0 || (window.Player && window.Player->getState() != 0);
}

bool MprisService::CanSeek() const {
    // As the seek bar: while a song with a length plays.
    return window.Player && window.Player->getState() == 1 && window.Player->getTotalSecond() > 0;
}

// --- the root interface ---------------------------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return MprisMapping::SupportedMimeTypes();
}

// Raise and the property writes run at once: they show no box.
void MprisRootAdaptor::Raise() {
    frmMain& w = service_->window;
    if (w.TrayIconVisible()) {  // as the double-click on the tray icon brings it back
        w.TrayIcon_Activated(QSystemTrayIcon::DoubleClick);
        return;
    }
    w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
    w.show();
    w.raise();
    w.activateWindow();
}

void MprisRootAdaptor::Quit() {
    // After the reply has gone: ending quits the event loop that sends it.
    QTimer::singleShot(0, &service_->window, [w = &service_->window] { w->RequestEnd(); });
}

// --- the player interface -------------------------------------------------------------------

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

void MprisPlayerAdaptor::Next() {
    service_->Queue([&w = service_->window] { w.Sequence().Step(+1); });
}

void MprisPlayerAdaptor::Previous() {
    service_->Queue([&w = service_->window] { w.Sequence().Step(-1); });
}

void MprisPlayerAdaptor::Pause() {
    service_->Queue([&w = service_->window] {
        if (w.Player->getState() == 1)
            w.Sequence().TogglePause();
    });
}

void MprisPlayerAdaptor::PlayPause() {
    service_->Queue([&w = service_->window] {
        if (w.Player->getState() == 0)
            w.Sequence().Play();
        else
            w.Sequence().TogglePause();
    });
}

void MprisPlayerAdaptor::Stop() {
    service_->Queue([&w = service_->window] { w.Sequence().StopPlay(); });
}

void MprisPlayerAdaptor::Play() {
    service_->Queue([&w = service_->window] {
        if (w.Player->getState() == 0)
            w.Sequence().Play();
        else if (w.Player->getState() == 2)
            w.Sequence().TogglePause();
    });
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    service_->Queue([service = service_, offset] {
        frmMain& w = service->window;
        if (!service->CanSeek())
            return;
        const auto target =
            MprisMapping::SeekTarget(w.Player->playSecond(), offset, w.Player->getTotalSecond());
        if (!target)
            w.Sequence().Step(+1);
        else
            seekTo(*service, *target);
    });
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    service_->Queue([service = service_, track = trackId.path(), position] {
        // A request for a song that has gone meanwhile is dropped, as the MPRIS interface says.
        if (!service->CanSeek() || track != service->CurrentTrackId())
            return;
        const auto target =
            MprisMapping::PositionTarget(position, service->window.Player->getTotalSecond());
        if (target)
            seekTo(*service, *target);
    });
}

void MprisPlayerAdaptor::seekTo(MprisService& service, int32_t second) {
    service.window.Sequence().Seek(second);
}

void MprisPlayerAdaptor::OpenUri(const QString& uri, const QDBusMessage& call) {
    // Refused at once when it names nothing the player could take; otherwise taken later, so
    // the caller is answered before any folder is read or any box shown.
    const std::optional<QString> path = MprisMapping::LocalPath(uri);
    if (!path) {
        service_->Refuse(call, QDBusError::NotSupported, QStringLiteral("only file: URIs play"));
        return;
    }
    const StartPath::Kind kind = StartPath::Classify(*path);
    if (kind == StartPath::Kind::Missing || kind == StartPath::Kind::NotPlayable) {
        service_->Refuse(call, QDBusError::InvalidArgs,
                         QStringLiteral("not a playable file, playlist or folder: ") + uri);
        return;
    }
    service_->Queue([&w = service_->window, p = *path] { w.OpenHandedPath(p); });
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status) {
    if (const auto modes = MprisMapping::WithLoopStatus(modesOf(service_->window.Options), status))
        service_->ApplyModes(*modes);
}

void MprisPlayerAdaptor::setShuffle(bool shuffle) {
    service_->ApplyModes(MprisMapping::WithShuffle(modesOf(service_->window.Options), shuffle));
}

void MprisPlayerAdaptor::setVolume(double volume) {
    Vbmp3VolumeControl control;
    const StereoVolume soft = MprisMapping::SoftVolumeFor(volume, control.SoftVolume());
    control.SetSoftVolume(soft.left, soft.right);
    service_->window.ShowVolumeLabel();
    service_->window.Sequence().NotifyVolume();
}
