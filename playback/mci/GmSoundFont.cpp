#include "GmSoundFont.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fluidsynth.h>

QStringList GmSoundFont::standardFolders() {
    return {QStringLiteral("/usr/share/sounds/sf2"), QStringLiteral("/usr/share/soundfonts")};
}

QString GmSoundFont::find(const QStringList& folders, const QString& alternatives) {
    QStringList candidates;
    for (const QString& folder : folders) {
        candidates << folder + QStringLiteral("/default-GM.sf2")
                   << folder + QStringLiteral("/default.sf2");
    }
    candidates << alternatives + QStringLiteral("/default-GM.sf2")
               << alternatives + QStringLiteral("/default.sf2");
    for (const QString& folder : folders) {
        const QStringList fonts =
            QDir(folder).entryList({QStringLiteral("*.sf2")}, QDir::Files, QDir::Name);
        for (const QString& font : fonts)
            candidates << folder + u'/' + font;
    }
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())  // follows the links; a dangling one is skipped
            return candidate;
    }
    return {};
}

std::shared_ptr<GmSoundFont> GmSoundFont::load(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    std::shared_ptr<GmSoundFont> font(new GmSoundFont);
    font->settings_ = new_fluid_settings();
    if (!font->settings_)
        return nullptr;
    fluid_settings_setint(font->settings_, "synth.lock-memory", 0);
    font->owner_ = new_fluid_synth(font->settings_);
    if (!font->owner_)
        return nullptr;
    const int id = fluid_synth_sfload(font->owner_, QFile::encodeName(path).constData(), 0);
    if (id == FLUID_FAILED)
        return nullptr;
    font->font_ = fluid_synth_get_sfont_by_id(font->owner_, id);
    return font->font_ ? font : nullptr;
}

GmSoundFont::~GmSoundFont() {
    if (owner_)
        delete_fluid_synth(owner_);
    if (settings_)
        delete_fluid_settings(settings_);
}

bool GmSoundFont::lendTo(fluid_synth_t* synth) {
    if (fluid_synth_add_sfont(synth, font_) == FLUID_FAILED)
        return false;
    fluid_synth_program_reset(synth);
    return true;
}

void GmSoundFont::takeBackFrom(fluid_synth_t* synth) {
    fluid_synth_remove_sfont(synth, font_);
}
