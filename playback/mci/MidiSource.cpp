#include "MidiSource.h"

#include "core/FileAccess.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fluidsynth.h>
#include <mutex>

namespace {

constexpr long kRenderChunk = 512;                  // frames; also how closely the end is noticed
constexpr long kMaxTail = MidiSource::kSampleRate;  // at most one second of release after the end
constexpr double kGain = 0.5;  // FluidSynth's 0.2 is much quieter than other files

// FluidSynth warns about harmless things (missing instruments, unknown events) on standard
// error; real errors still get through.
void quietenFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

}  // namespace

QString MidiSource::soundFontPath() {
    return GmSoundFont::find();
}

QByteArray MidiSource::unwrapRmid(const QByteArray& bytes) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "RMID")
        return bytes;
    // Chunks after the form type: a four-letter name, a little-endian size, the body padded
    // to an even length. The song is the "data" chunk.
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const auto* size = reinterpret_cast<const unsigned char*>(bytes.constData() + pos + 4);
        const qsizetype length = qsizetype(uint32_t(size[0]) | uint32_t(size[1]) << 8 |
                                           uint32_t(size[2]) << 16 | uint32_t(size[3]) << 24);
        if (bytes.mid(pos, 4) == "data")
            return bytes.mid(pos + 8, std::min(length, bytes.size() - pos - 8));
        pos += 8 + length + (length & 1);
    }
    return {};
}

std::unique_ptr<MidiSource> MidiSource::open(const QString& path,
                                             std::shared_ptr<GmSoundFont> soundFont) {
    quietenFluidSynth();
    if (!soundFont)
        return nullptr;
    std::unique_ptr<MidiSource> source(new MidiSource);
    source->font_ = std::move(soundFont);
    std::lock_guard lock(source->font_->render());
    if (!source->init(path))
        return nullptr;
    return source;
}

std::unique_ptr<MidiSource> MidiSource::open(const QString& path, const QString& soundFont) {
    quietenFluidSynth();
    return open(path, GmSoundFont::load(soundFont.isEmpty() ? soundFontPath() : soundFont));
}

MidiSource::~MidiSource() {
    std::lock_guard lock(font_->render());
    if (player_) {
        fluid_player_stop(player_);
        delete_fluid_player(player_);
    }
    if (synth_) {
        if (fontLent_)
            font_->takeBackFrom(synth_);
        delete_fluid_synth(synth_);
    }
    if (settings_)
        delete_fluid_settings(settings_);
}

bool MidiSource::init(const QString& path) {
    // Only a regular file of sane size: a FIFO or a device named like a song must not hang.
    if (modZAUtil::ReadFileBytes(path, data_) != modZAUtil::ReadStatus::Ok)
        return false;
    data_ = unwrapRmid(data_);
    if (!timeline_.parse(data_))
        return false;
    lengthFrames_ = std::llround(timeline_.lengthSeconds() * kSampleRate);

    settings_ = new_fluid_settings();
    if (!settings_)
        return false;
    fluid_settings_setnum(settings_, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(settings_, "synth.gain", kGain);
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    synth_ = new_fluid_synth(settings_);
    if (!synth_)
        return false;
    fontLent_ = font_->lendTo(synth_);
    return fontLent_ && startPlayer(0);
}

bool MidiSource::startPlayer(int64_t tick) {
    // A fresh player for every start: FluidSynth cannot seek a player that has finished.
    if (player_) {
        fluid_player_stop(player_);
        delete_fluid_player(player_);
        player_ = nullptr;
    }
    fluid_synth_all_sounds_off(synth_, -1);
    finished_ = false;
    tailLeft_ = -1;
    position_ = std::llround(timeline_.secondsAt(tick) * kSampleRate);
    player_ = new_fluid_player(synth_);
    if (!player_)
        return false;
    if (fluid_player_add_mem(player_, data_.constData(), static_cast<size_t>(data_.size())) !=
        FLUID_OK)
        return false;
    const int seekTick = static_cast<int>(std::min<int64_t>(tick, INT32_MAX));
    if (seekTick > 0 && fluid_player_seek(player_, seekTick) != FLUID_OK)
        return false;
    return fluid_player_play(player_) == FLUID_OK;
}

long MidiSource::read(float* out, long frames) {
    std::lock_guard lock(font_->render());
    long done = 0;
    while (done < frames && !finished_) {
        long n = std::min(kRenderChunk, frames - done);
        // FluidSynth's player lingers for seconds after the last event before it calls itself
        // done; the file's own length says when the music is over.
        if (position_ >= lengthFrames_ ||
            fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) {
            if (tailLeft_ < 0)
                tailLeft_ = kMaxTail;
            if (tailLeft_ == 0 || fluid_synth_get_active_voice_count(synth_) == 0) {
                finished_ = true;
                break;
            }
            n = std::min(n, tailLeft_);
            tailLeft_ -= n;
        }
        float* dest = out + done * 2;
        if (fluid_synth_write_float(synth_, static_cast<int>(n), dest, 0, 2, dest, 1, 2) !=
            FLUID_OK)
            return done > 0 ? done : -1;
        done += n;
        position_ += n;
    }
    return done;
}

bool MidiSource::seek(int64_t frame) {
    std::lock_guard lock(font_->render());
    frame = std::clamp<int64_t>(frame, 0, lengthFrames_);
    return startPlayer(timeline_.tickAt(double(frame) / kSampleRate));
}
