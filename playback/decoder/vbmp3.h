#pragma once

// The player's MP3/WAV playback library: open a file, play it through the sound device, and
// report its end through a registered callback. A small C interface with one hidden playback
// state; every call comes from the user-interface thread except the callback, which the
// library makes from its audio thread.
//
// Booleans are 16-bit: non-zero means success. Volumes are 0..100 per channel (linear
// percent); values outside are clamped. Positions and lengths are whole seconds.

#include "playback/output/ReplayGain.h"

#include <cstdint>
#include <memory>

class AudioOutput;
class PcmSource;

extern "C" {

// Filled by vbmp3_open and vbmp3_takeJoined: only the bit rate and the length are set, the
// rest is zero; the layout is the library's interface.
struct OpenFileInfo {
    char text1[128];
    char text2[128];
    int32_t reserved1;
    int32_t bitRate;  // kbit/s
    int32_t reserved2;
    int32_t totalSec;  // length in whole seconds
};

// status 4: the file that was playing has reached its end. Called from the audio thread,
// exactly once per file that plays to its end; never after a stop or close, nor for a file
// that a new open replaced. `user` is the value given to vbmp3_callback.
typedef void (*Vbmp3Callback)(int32_t status, intptr_t user);

int16_t vbmp3_init(void);
void vbmp3_callback(Vbmp3Callback callback, intptr_t user);
void vbmp3_stopCallback(void);
int16_t vbmp3_open(const char* utf8Path, OpenFileInfo* info);
int16_t vbmp3_play(void);
// Gapless join (vbmp3_queueSource below): while a file plays, the next one may be opened behind
// it; its first sample follows the playing file's last one in the same stream, after exactly
// the blank time. The playing file's end is still reported; from that moment position,
// length and state belong to the joined file. vbmp3_takeJoined says whether that has happened
// and fills `info` for it. A play, pause, seek, stop, open or close forgets a joined file not
// yet heard.
int16_t vbmp3_takeJoined(OpenFileInfo* info);
void vbmp3_dropQueued(void);
int16_t vbmp3_pause(void);
int16_t vbmp3_restart(void);
int16_t vbmp3_stop(void);
int16_t vbmp3_close(void);
int16_t vbmp3_seek(int32_t second);
// As vbmp3_seek, to the millisecond.
int16_t vbmp3_seekMilliseconds(int32_t millisecond);
// 0 stopped (or nothing open), 1 playing, 2 paused; writes the position in whole seconds.
int32_t vbmp3_getState(int32_t* second);
int16_t vbmp3_setVolume(int32_t left, int32_t right);
void vbmp3_getVolume(int32_t* left, int32_t* right);
int16_t vbmp3_setSoftVolume(int32_t left, int32_t right);
void vbmp3_getSoftVolume(int32_t* left, int32_t* right);
void vbmp3_free(void);

}  // extern "C"

// vbmp3_open with the file's source made beforehand (PcmSourceFactory::open, on any thread), so
// that the caller never waits on the disk. vbmp3_queueSource joins such a source behind the
// playing file; 0 when it cannot join (another rate, nothing playing, the end already heard,
// no source): it is then played as usual.
int16_t vbmp3_openSource(const char* utf8Path, std::unique_ptr<PcmSource> source,
                         OpenFileInfo* info);
int16_t vbmp3_queueSource(const char* utf8Path, std::unique_ptr<PcmSource> source,
                          int32_t blankMillis, OpenFileInfo* info);

// Every route plays through the same device, so the library's two volumes are the player's: an
// output of another route follows them, set now and at every change, until it stops following
// (before it goes away). UI thread, as the volume calls.
namespace Vbmp3Volumes {
void Follow(AudioOutput& output);
void StopFollowing(AudioOutput& output);
}  // namespace Vbmp3Volumes

// How every route's songs take their ReplayGain (the default of ReplayGain::Settings until
// set), from each route's next song on. Kept across vbmp3_free. UI thread.
void vbmp3_setReplayGain(const ReplayGain::Settings& settings);
ReplayGain::Settings vbmp3_replayGain();
