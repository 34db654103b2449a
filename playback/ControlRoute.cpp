#include "ControlRoute.h"

#include "playback/LibraryRoute.h"
#include "playback/mci/MciControl.h"

namespace {
constexpr int kPlayedToTheEnd = 1;

QString deviceTypeFor(const QString& path) {
    const QString ending = path.right(3);
    if (ending == u"cda")
        return QStringLiteral("CDAudio");
    if (ending == u"mid")
        return QStringLiteral("Sequencer");
    return QString();
}
}  // namespace

ControlRoute::~ControlRoute() {
    QObject::disconnect(done_);
}

void ControlRoute::setControl(MciControl* control) {
    QObject::disconnect(done_);
    control_ = control;
    connectDone();
}

void ControlRoute::setEndReport(std::function<void()> report) {
    report_ = std::move(report);
    QObject::disconnect(done_);
    connectDone();
}

void ControlRoute::connectDone() {
    if (!control_ || !report_)
        return;
    done_ = QObject::connect(control_, &MciControl::Done, [this](int notifyCode) {
        if (notifyCode == kPlayedToTheEnd)
            report_();
    });
}

void ControlRoute::command(const char* text) {
    if (control_)
        control_->setCommand(QString::fromLatin1(text));
}

bool ControlRoute::open(const QString& path, std::unique_ptr<PcmSource> source) {
    path_ = path;
    pending_.reset();
    command("stop");
    command("close");
    if (!control_)
        return !LibraryRoute::claimsName(path);
    if (LibraryRoute::claimsName(path)) {
        control_->setDeviceType(QString());
        control_->setFileName(path);
        control_->openSource(std::move(source));
        return control_->lastError() == MciControl::NoError;
    }
    control_->setDeviceType(deviceTypeFor(path));
    pending_ = std::move(source);
    return true;
}

// A damaged file, a file without sound, a CD track or MIDI without a sound font fails here; the
// caller must hear of it or it waits for an end that never comes.
bool ControlRoute::play() {
    if (!control_)
        return false;
    if (control_->mode() == MciControl::Mode::NotOpen || control_->FileName() != path_) {
        control_->setFileName(path_);
        if (pending_) {
            control_->openSource(std::move(*pending_));
            pending_.reset();
        } else {
            command("open");
        }
        if (control_->lastError() != MciControl::NoError)
            return false;
    }
    command("play");
    return control_->lastError() == MciControl::NoError;
}

bool ControlRoute::pause() {
    command("pause");
    return true;
}

bool ControlRoute::resume() {
    command("play");
    return true;
}

bool ControlRoute::stop() {
    pending_.reset();
    command("stop");
    command("close");
    return true;
}

bool ControlRoute::seek(std::chrono::milliseconds position) {
    return control_ && control_->seekTo(position);
}

PlaybackRoute::State ControlRoute::state() const {
    const QString last = control_ ? control_->Command() : QString();
    if (last == u"play")
        return State::Playing;
    if (last == u"pause")
        return State::Paused;
    return State::Stopped;
}

std::chrono::seconds ControlRoute::position() const {
    return std::chrono::seconds(control_ ? control_->positionSeconds() : 0);
}

std::chrono::milliseconds ControlRoute::heardPosition() const {
    return LibraryRoute::HeardThroughOutput(*this);
}

std::chrono::seconds ControlRoute::length() const {
    return std::chrono::seconds(control_ ? control_->lengthSeconds() : 0);
}

bool ControlRoute::queueNext(const QString& path, std::unique_ptr<PcmSource> source,
                             std::chrono::milliseconds blank) {
    return control_ &&
           control_->queueSource(path, std::move(source), static_cast<int32_t>(blank.count()));
}

void ControlRoute::dropQueued() {
    if (control_)
        control_->dropQueued();
}

bool ControlRoute::takeJoined(const QString& path) {
    if (!control_ || !control_->takeJoined(path))
        return false;
    path_ = path;
    return true;
}
