#pragma once

#include "core/ThreadWake.h"
#include "playback/output/AudioOutput.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// The media-control object `MMC`: plays every file that the MP3/WAV library does not, driven by
// command strings. Set `DeviceType` and `FileName`, then `Command` to "open", "play", "pause",
// "stop" or "close". The file's content chooses the decoder (WAV, MP3, MIDI through
// FluidSynth, FFmpeg for the rest) whatever the device type; "CDAudio" fails where there is no
// CD drive (always, here). Lives on the UI thread; its sound runs through an AudioOutput of its
// own, at the MP3/WAV library's soft and device volumes.
class MciControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString DeviceType READ DeviceType WRITE setDeviceType)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(QString Command READ Command WRITE setCommand)

public:
    enum Error {
        NoError = 0,
        NotOpen,            // play, pause or stop without an open file
        CannotOpen,         // the file is missing or not playable
        DeviceUnavailable,  // no such device here (CD audio)
        UnknownCommand,
        OutputFailed,  // the sound output refused to start
    };
    Q_ENUM(Error)

    enum class Mode { NotOpen, Stopped, Playing, Paused };

    explicit MciControl(QObject* parent = nullptr);
    ~MciControl() override;

    QString DeviceType() const { return deviceType_; }
    void setDeviceType(const QString& type) { deviceType_ = type; }
    QString FileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }
    // The last command given, whether or not it succeeded.
    QString Command() const { return command_; }
    void setCommand(const QString& command);

    // What "open" reads of the file, on any thread, so that a slow disk or a sound font being
    // loaded need not hold the caller; openSource() then does the rest of "open" at once with
    // it. Null when nothing can play the file.
    static std::unique_ptr<PcmSource> OpenSource(const QString& fileName);
    void openSource(std::unique_ptr<PcmSource> source);

    // Gapless join, as AudioOutput::queueNext: while a file plays, the next one's source may
    // follow it in the same stream, after `blankMillis` of silence. The playing file's end is
    // reported (Done) as usual; takeJoined() then makes the joined file the open one. A command
    // or dropQueued() forgets a joined file not yet heard.
    bool queueSource(const QString& fileName, std::unique_ptr<PcmSource> source,
                     int32_t blankMillis);
    bool takeJoined(const QString& fileName);
    void dropQueued();

    Error lastError() const { return lastError_; }
    Mode mode() const { return mode_; }

    // Whole seconds; 0 while nothing is open.
    int32_t lengthSeconds() const;
    int32_t positionSeconds() const;
    // Moves within the open file while it plays or is paused or stopped; false otherwise or
    // past the end.
    bool seekTo(std::chrono::milliseconds position);
    bool seekSeconds(int32_t second) { return seekTo(std::chrono::seconds(second)); }

Q_SIGNALS:
    // 1: the file played to its end. Emitted on this object's thread, once per end, never
    // after "stop", "close", a new "open" or a seek made before the report arrived.
    void Done(int notifyCode);

private:
    Error open(std::unique_ptr<PcmSource> source);
    Error play();
    Error pause();
    Error stop();
    void close();
    void finish(uint64_t generation);
    void deliverEnds();

    QString deviceType_;
    QString fileName_;
    QString command_;
    Error lastError_ = NoError;
    Mode mode_ = Mode::NotOpen;
    // Moves on with every command that makes an earlier end report stale.
    std::atomic<uint64_t> generation_{0};
    QString joinedName_;
    // End reports made on the decode thread, with the generation each was made in, handed to
    // the UI thread beside a wake-up.
    std::mutex endsMutex_;
    std::vector<uint64_t> ends_;
    ThreadWake endWake_;  // the file joined behind the playing one, until taken or forgotten
    AudioOutput output_;
};
