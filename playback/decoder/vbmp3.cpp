#include "vbmp3.h"

#include "PcmSourceFactory.h"
#include "playback/output/AudioOutput.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {
// The library's one playback state, from vbmp3_init to vbmp3_free.
struct Library {
    AudioOutput output;
    std::string path;        // the open file, reopened by a play after a stop
    std::string queuedPath;  // a file joined behind it, until it is taken or forgotten
    bool opened = false;

    // The callback is called under this lock, so vbmp3_stopCallback returning means that
    // no call is running nor will come.
    std::mutex callbackMutex;
    Vbmp3Callback callback = nullptr;
    intptr_t user = 0;
};

std::unique_ptr<Library> library;

// Volumes outlive vbmp3_free: the player reads the soft volume back after releasing the
// library, to save it.
struct Volumes {
    int32_t softLeft = 100, softRight = 100, deviceLeft = 100, deviceRight = 100;
} volumes;

// How every route applies ReplayGain; kept, as the volumes, across vbmp3_free.
ReplayGain::Settings replayGain;

// Outputs of the other routes, which play at the library's volumes too.
std::vector<AudioOutput*> followers;

void applyVolumes(AudioOutput& output) {
    output.setSoftVolume(volumes.softLeft, volumes.softRight);
    output.setDeviceVolume(volumes.deviceLeft, volumes.deviceRight);
    output.setReplayGain(replayGain);
}

void reportEnd(Library* lib) {
    std::lock_guard lock(lib->callbackMutex);
    if (lib->callback)
        lib->callback(4, lib->user);
}

void fillInfo(OpenFileInfo* info) {
    if (!info)
        return;
    std::memset(info, 0, sizeof *info);
    info->bitRate = library->output.bitrate();
    info->totalSec = library->output.lengthSeconds();
}

bool loadPath(const std::string& path) {
    auto source = PcmSourceFactory::open(path);
    return source && library->output.load(std::move(source));
}
}  // namespace

extern "C" {

int16_t vbmp3_init(void) {
    if (!library) {
        library = std::make_unique<Library>();
        library->output.setEndHandler([lib = library.get()] { reportEnd(lib); });
        applyVolumes(library->output);
    }
    return 1;
}

void vbmp3_callback(Vbmp3Callback callback, intptr_t user) {
    if (!library)
        return;
    std::lock_guard lock(library->callbackMutex);
    library->callback = callback;
    library->user = user;
}

void vbmp3_stopCallback(void) {
    vbmp3_callback(nullptr, 0);
}

int16_t vbmp3_open(const char* utf8Path, OpenFileInfo* info) {
    if (!library || !utf8Path)
        return 0;
    return vbmp3_openSource(utf8Path, PcmSourceFactory::open(utf8Path), info);
}

int16_t vbmp3_play(void) {
    if (!library || !library->opened)
        return 0;
    library->queuedPath.clear();
    if (!library->output.hasSource() && !loadPath(library->path))
        return 0;
    return library->output.play() ? 1 : 0;
}

int16_t vbmp3_takeJoined(OpenFileInfo* info) {
    if (!library || library->queuedPath.empty() || library->output.hasQueued() ||
        library->output.state() != AudioOutput::Playing)
        return 0;
    library->path = std::move(library->queuedPath);
    library->queuedPath.clear();
    fillInfo(info);
    return 1;
}

void vbmp3_dropQueued(void) {
    if (!library)
        return;
    library->output.dropQueued();
    library->queuedPath.clear();
}

int16_t vbmp3_pause(void) {
    if (library)
        library->queuedPath.clear();
    return library && library->output.pause() ? 1 : 0;
}

int16_t vbmp3_restart(void) {
    return library && library->output.resume() ? 1 : 0;
}

int16_t vbmp3_stop(void) {
    if (!library)
        return 0;
    library->queuedPath.clear();
    library->output.stop();
    return 1;
}

int16_t vbmp3_close(void) {
    if (!library)
        return 0;
    library->queuedPath.clear();
    library->output.stop();
    library->opened = false;
    library->path.clear();
    return 1;
}

int16_t vbmp3_seek(int32_t second) {
    return vbmp3_seekMilliseconds(second < 0 || second > INT32_MAX / 1000 ? -1 : second * 1000);
}

int16_t vbmp3_seekMilliseconds(int32_t millisecond) {
    if (library)
        library->queuedPath.clear();
    return library && library->output.seekTo(std::chrono::milliseconds(millisecond)) ? 1 : 0;
}

int32_t vbmp3_getState(int32_t* second) {
    if (!library) {
        if (second)
            *second = 0;
        return 0;
    }
    if (second)
        *second = library->output.positionSeconds();
    return library->output.state();
}

int16_t vbmp3_setVolume(int32_t left, int32_t right) {
    if (!library)
        return 0;
    library->output.setDeviceVolume(left, right);
    library->output.deviceVolume(volumes.deviceLeft, volumes.deviceRight);
    for (AudioOutput* follower : followers)
        applyVolumes(*follower);
    return 1;
}

void vbmp3_getVolume(int32_t* left, int32_t* right) {
    if (left)
        *left = volumes.deviceLeft;
    if (right)
        *right = volumes.deviceRight;
}

int16_t vbmp3_setSoftVolume(int32_t left, int32_t right) {
    if (!library)
        return 0;
    library->output.setSoftVolume(left, right);
    library->output.softVolume(volumes.softLeft, volumes.softRight);
    for (AudioOutput* follower : followers)
        applyVolumes(*follower);
    return 1;
}

void vbmp3_getSoftVolume(int32_t* left, int32_t* right) {
    if (left)
        *left = volumes.softLeft;
    if (right)
        *right = volumes.softRight;
}

void vbmp3_free(void) {
    if (!library)
        return;
    library->output.stop();
    vbmp3_stopCallback();
    library.reset();
}

}  // extern "C"

int16_t vbmp3_openSource(const char* utf8Path, std::unique_ptr<PcmSource> source,
                         OpenFileInfo* info) {
    if (!library || !utf8Path)
        return 0;
    library->output.stop();
    library->opened = false;
    library->path.clear();
    library->queuedPath.clear();
    if (!source || !library->output.load(std::move(source)))
        return 0;
    library->opened = true;
    library->path = utf8Path;
    fillInfo(info);
    return 1;
}

int16_t vbmp3_queueSource(const char* utf8Path, std::unique_ptr<PcmSource> source,
                          int32_t blankMillis, OpenFileInfo* info) {
    if (!library || !library->opened || !utf8Path)
        return 0;
    library->output.dropQueued();
    library->queuedPath.clear();
    if (!source)
        return 0;
    const int bitRate = source->bitrate();
    const int64_t frames = source->lengthFrames();
    const int rate = source->format().sampleRate;
    if (!library->output.queueNext(std::move(source), blankMillis))
        return 0;
    library->queuedPath = utf8Path;
    if (info) {
        std::memset(info, 0, sizeof *info);
        info->bitRate = bitRate;
        info->totalSec = frames >= 0 && rate > 0 ? int32_t(frames / rate) : 0;
    }
    return 1;
}

void Vbmp3Volumes::Follow(AudioOutput& output) {
    followers.push_back(&output);
    applyVolumes(output);
}

void Vbmp3Volumes::StopFollowing(AudioOutput& output) {
    std::erase(followers, &output);
}

void vbmp3_setReplayGain(const ReplayGain::Settings& settings) {
    replayGain = settings;
    if (library)
        library->output.setReplayGain(settings);
    for (AudioOutput* follower : followers)
        follower->setReplayGain(settings);
}

ReplayGain::Settings vbmp3_replayGain() {
    return replayGain;
}
