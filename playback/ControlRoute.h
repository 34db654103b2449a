#pragma once

#include "playback/PlaybackRoute.h"

#include <QMetaObject>
#include <optional>

class MciControl;

// The media-control object's route, driven by its command strings ("open", "play", …).
// It reads a file only at play(), so a file it cannot play fails there, except a name the
// MP3/WAV library claims (its content was something else), which is opened at once so that it
// fails at its open, like any other bad MP3. Works, refusing to play, while no control is bound.
// UI thread only: the control reports its end (Done) on the UI thread too.
class ControlRoute final : public PlaybackRoute {
public:
    ControlRoute() = default;
    ~ControlRoute() override;
    ControlRoute(const ControlRoute&) = delete;
    ControlRoute& operator=(const ControlRoute&) = delete;

    // The control every later call drives; null unbinds it.
    void setControl(MciControl* control);

    bool open(const QString& path, std::unique_ptr<PcmSource> source) override;
    bool play() override;
    // The control takes every pause and resume, whatever it plays.
    bool pause() override;
    bool resume() override;
    bool stop() override;
    bool seek(std::chrono::milliseconds position) override;
    // The state the last command asked for: a file that has played to its end still reads as
    // playing until the next command.
    State state() const override;
    std::chrono::seconds position() const override;
    std::chrono::seconds length() const override;
    std::chrono::milliseconds heardPosition() const override;
    int32_t bitrateKbps() const override { return 0; }
    bool queueNext(const QString& path, std::unique_ptr<PcmSource> source,
                   std::chrono::milliseconds blank) override;
    void dropQueued() override;
    bool takeJoined(const QString& path) override;
    void setEndReport(std::function<void()> report) override;

private:
    void command(const char* text);
    void connectDone();

    MciControl* control_ = nullptr;
    QString path_;
    // The source made for the latest open, handed to the control at play(); empty once handed
    // over, when a play opens the file by its name again.
    std::optional<std::unique_ptr<PcmSource>> pending_;
    std::function<void()> report_;
    QMetaObject::Connection done_;
};
