#pragma once

#include "playback/PlaybackRoute.h"
#include "playback/decoder/vbmp3.h"

// The MP3/WAV library's route: each call is one vbmp3_* call. The library has one playback
// state for the whole program, so there is one LibraryRoute at a time; it takes the library's
// end callback from setEndReport() until it is destroyed. UI thread, except the end report,
// which comes from the library's audio thread.
class LibraryRoute final : public PlaybackRoute {
public:
    LibraryRoute();
    ~LibraryRoute() override;
    LibraryRoute(const LibraryRoute&) = delete;
    LibraryRoute& operator=(const LibraryRoute&) = delete;

    // Names ending in "mp3" or "wav" (exactly, case-sensitive) are the library's to try first.
    static bool claimsName(const QString& path);
    // The heard position of `route`'s song from the sound output that plays it, which the
    // library and the media control keep to themselves: the output that took the device last,
    // when its whole seconds agree with the route's; else the route's whole seconds. UI thread.
    static std::chrono::milliseconds HeardThroughOutput(const PlaybackRoute& route);

    bool open(const QString& path, std::unique_ptr<PcmSource> source) override;
    bool play() override;
    bool pause() override;
    bool resume() override;
    bool stop() override;
    bool seek(std::chrono::milliseconds position) override;
    State state() const override;
    std::chrono::seconds position() const override;
    std::chrono::seconds length() const override;
    std::chrono::milliseconds heardPosition() const override;
    int32_t bitrateKbps() const override;
    bool queueNext(const QString& path, std::unique_ptr<PcmSource> source,
                   std::chrono::milliseconds blank) override;
    void dropQueued() override;
    bool takeJoined(const QString& path) override;
    void setEndReport(std::function<void()> report) override;

private:
    static void libraryEvent(int32_t status, intptr_t user);

    OpenFileInfo info_{};
    bool opened_ = false;
    std::function<void()> report_;
};
