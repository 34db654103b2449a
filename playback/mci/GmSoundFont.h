#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_sfont_t fluid_sfont_t;

// A General MIDI sound font loaded once and lent to every synthesizer that plays a MIDI file,
// so a font of tens of megabytes is read once per run, not once per song. The synthesizers
// that borrow it render one at a time under render(): they share its sample data.
class GmSoundFont {
public:
    // Where Debian's packages put sound fonts, in the order they are looked at.
    static QStringList standardFolders();
    // default-GM.sf2 or default.sf2 in a folder (the alternatives links), then the
    // alternatives themselves, then any .sf2 in the folders in name order; "" when none.
    static QString find(const QStringList& folders = standardFolders(),
                        const QString& alternatives = QStringLiteral("/etc/alternatives"));
    // Null when the file is not a sound font FluidSynth can load.
    static std::shared_ptr<GmSoundFont> load(const QString& path);

    ~GmSoundFont();
    GmSoundFont(const GmSoundFont&) = delete;
    GmSoundFont& operator=(const GmSoundFont&) = delete;

    // Lends the font to `synth` as its only font; false when it cannot. lendTo's synth must
    // take it back (takeBackFrom) before it is deleted, or it would free the font.
    bool lendTo(fluid_synth_t* synth);
    void takeBackFrom(fluid_synth_t* synth);
    std::mutex& render() { return render_; }

private:
    GmSoundFont() = default;

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* owner_ = nullptr;  // the synthesizer that loaded the font and frees it
    fluid_sfont_t* font_ = nullptr;
    std::mutex render_;
};
