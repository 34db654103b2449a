#pragma once

#include "PcmSource.h"
#include "ReplayGain.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// Plays one PcmSource at a time through the process's one sound device (SoundSystem).
// Used by the MP3/WAV library and the media-control object, each with an output of its own.
// Contract:
//  - All methods are called from one controlling thread (the UI thread in the program).
//  - load() takes the source and holds it ready at its start; play() starts it; pause() and
//    resume() keep the position; stop() drops the source and returns at once: the device
//    stays open for the next song and plays silence meanwhile.
//  - The device plays one output at a time: play(), resume() and a seek while playing take it
//    over from any other output, which then stands still until it is stopped or played again.
//  - The end handler runs on an audio thread, exactly once for a loaded or queued source that
//    has been played out to its end, when the device plays its last sample; never after
//    stop() or a new load(), never twice; never for a queued source let go at its start (see
//    queueNext), whatever the playing one's end.
//  - Position and end reports follow what has been heard: what a sound server still holds is
//    not counted (SoundSystem::unheardFrames), and what it threw away at a pause or a
//    takeover is played again from the frame heard.
//  - Any source rate from 1 kHz to 1.536 MHz and any channel count plays at the right pitch
//    on both device channels; load() refuses other rates. The device runs at 8 to 384 kHz.
//  - Samples that are not numbers play as silence; everything above -1 dBFS is bent by a soft
//    limiter that never passes full scale (GainStage), below it nothing changes.
//  - Loudness: a source's ReplayGain (PcmSource::replayGain) scales it before the limiter, so
//    tagged quiet and loud albums play equally loud: the gain, pre-amp and peak limit that
//    setReplayGain chose (ReplayGain::factor), from the next load() or queueNext(). The
//    default is the album's gain, the track's when shuffled, with clipping prevention.
//  - Soft volume scales the samples per channel; device volume is the gain of the output stage.
//    Both are 0..100 (linear percent), clamped.
//  - Without a usable sound device it falls back to SDL's "dummy" driver (time still runs and
//    songs still end) and says so once on standard error; later plays look for a real device
//    again, and a device lost while playing is reopened where the song stood
//    (SoundSystem::status() tells which). SDL_AUDIODRIVER set by the user is respected.
class AudioOutput {
public:
    enum State { Stopped = 0, Playing = 1, Paused = 2 };

    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    bool load(std::unique_ptr<PcmSource> source);
    // Gapless join: while a song plays, the next one may be queued; the decode side flows from
    // the current song's last sample straight into it, in the same stream. Its end report
    // comes when the device plays that last sample; from then on position, length, bit rate
    // and the next end report belong to the queued song. Refused (false) when it would need
    // the device at another rate, when not playing, when the current song's end has already been
    // reported, or while another queued song has not yet been heard: the caller then loads and
    // plays it as usual. play(), pause(), a seek, stop() and load() drop a queued song.
    // `leadMillis` of silence go before it in the stream, so a pause between songs is exact;
    // the song's position counts from its first sample, after the silence.
    // A queued song that gives no sample at all when its turn comes (cut to nothing since it
    // was opened, unreadable) is let go: the current song's end is reported when heard as if
    // nothing had been queued, and the queued song is never heard (hasQueued() stays true
    // until it is dropped, so nobody takes it over as playing).
    bool queueNext(std::unique_ptr<PcmSource> source, int32_t leadMillis = 0);
    // True while a queued song has not yet been heard (or was let go, see queueNext).
    bool hasQueued() const;
    // Forgets a queued song that has not yet been heard; the playing song plays on (when the
    // next song's first samples are already behind it, the decode side starts over from the
    // position heard, so nothing of the dropped song comes out).
    void dropQueued();
    bool play();
    bool pause();
    bool resume();
    void stop();
    // Moves within the heard song while it plays or is paused; false otherwise, or before its
    // start or past its end.
    bool seekTo(std::chrono::milliseconds position);
    bool seekSeconds(int32_t second) { return seekTo(std::chrono::seconds(second)); }

    State state() const;
    int32_t positionSeconds() const;
    // How far into the song being heard the device has played, to the millisecond: what a
    // sound server still holds is not counted. Control thread.
    std::chrono::milliseconds heardPosition() const;
    // The output that took the device last (play, resume, a seek while playing), null when
    // none has or it has gone. Its owner's route hides it; this is how the song heard is
    // found through the layers above. Control thread.
    static AudioOutput* LastPlayed();
    int32_t lengthSeconds() const;  // 0 when unknown or nothing loaded
    int bitrate() const;

    // Called with no lock of the caller's held; it must not call back into this output.
    void setEndHandler(std::function<void()> handler);

    bool hasSource() const;
    // Rate the device runs at while this output plays, from the next play(): 0 (the default)
    // is the source's own rate, so nothing is resampled. The shared device follows the rate of
    // the output it plays; a change reopens it without the caller waiting.
    void setDeviceRate(int hz);

    void setSoftVolume(int32_t left, int32_t right);
    void softVolume(int32_t& left, int32_t& right) const;
    void setDeviceVolume(int32_t left, int32_t right);
    void deviceVolume(int32_t& left, int32_t& right) const;

    void setReplayGain(const ReplayGain::Settings& settings);
    ReplayGain::Settings replayGain() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
