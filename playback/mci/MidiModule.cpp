// The MIDI module: FluidSynth with one General MIDI sound font for the whole run.
#include "MidiSource.h"
#include "RouteModule.h"

#include <fluidsynth.h>
#include <mutex>
#include <string>

namespace {
// Loaded at the first MIDI file and kept; looked for again while none loads.
std::mutex fontMutex;
std::shared_ptr<GmSoundFont> font;
}  // namespace

ZAPT_ROUTE_EXPORT PcmSource* zapt_route_open(const QString* path) {
    if (!path)
        return nullptr;
    std::shared_ptr<GmSoundFont> lent;
    {
        std::lock_guard lock(fontMutex);
        if (!font)
            font = GmSoundFont::load(MidiSource::soundFontPath());
        lent = font;
    }
    return MidiSource::open(*path, std::move(lent)).release();
}

ZAPT_ROUTE_EXPORT const char* zapt_route_version() {
    static const std::string version = std::string("FluidSynth ") + fluid_version_str();
    return version.c_str();
}
