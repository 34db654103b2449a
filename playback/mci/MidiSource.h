#pragma once

#include "GmSoundFont.h"
#include "MidiTimeline.h"
#include "playback/output/PcmSource.h"

#include <QByteArray>
#include <QString>
#include <memory>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;

// A Standard MIDI File (bare, or wrapped in RIFF as .rmi files are) rendered by FluidSynth with a
// General MIDI sound font, straight into the caller's buffer (no FluidSynth audio driver). The player runs on the synthesizer's sample
// clock, so the music advances exactly as fast as it is read.
class MidiSource : public PcmSource {
public:
    static constexpr int kSampleRate = 44100;

    // nullptr when the file is not a MIDI file or there is no font.
    static std::unique_ptr<MidiSource> open(const QString& path,
                                            std::shared_ptr<GmSoundFont> soundFont);
    // Loads a font of its own: `soundFont`, or soundFontPath() when it is empty.
    static std::unique_ptr<MidiSource> open(const QString& path, const QString& soundFont = {});
    // The installed General MIDI font (GmSoundFont::find()); "" when none.
    static QString soundFontPath();
    // The MIDI file inside a RIFF RMID wrapper; other bytes come back as they are.
    static QByteArray unwrapRmid(const QByteArray& bytes);

    ~MidiSource() override;
    MidiSource(const MidiSource&) = delete;
    MidiSource& operator=(const MidiSource&) = delete;

    Format format() const override { return {kSampleRate, 2}; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    long read(float* out, long frames) override;
    // Lands on the MIDI tick nearest the frame; notes already sounding there are not
    // restarted (FluidSynth skips note-ons while it seeks).
    bool seek(int64_t frame) override;

private:
    MidiSource() = default;
    bool init(const QString& path);
    bool startPlayer(int64_t tick);

    std::shared_ptr<GmSoundFont> font_;
    bool fontLent_ = false;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    QByteArray data_;
    MidiTimeline timeline_;
    int64_t lengthFrames_ = 0;
    int64_t position_ = 0;  // frames into the music
    long tailLeft_ = -1;    // frames of release still to render once the player is done
    bool finished_ = false;
};
