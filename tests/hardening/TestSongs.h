#pragma once

#include "support/MciMedia.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <string_view>

// A song of about `seconds` at `path`, made by `encoder`: "wav", "mp3", "midi" (quarter notes
// at 120 beats a minute) or an FFmpeg encoder. False when this machine cannot make it.
inline bool makeSong(const QString& path, std::string_view encoder, double seconds) {
    MciMedia::Tone tone;
    tone.seconds = seconds;
    tone.sampleRate = 48000;  // Opus knows no other
    if (encoder == "midi") {
        if (!QFileInfo::exists(QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2")))
            return false;
        MciMedia::Midi midi;
        midi.notes.assign(std::max(1, int(std::lround(seconds * 2))), 69);
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(MciMedia::midiFile(midi)) > 0;
    }
    if (encoder == "wav")
        return MciMedia::writeWav(path, tone);
    if (encoder == "mp3")
        return MciMedia::writeMp3(path, tone);
    const std::string name(encoder);
    return MciMedia::hasEncoder(name.c_str()) && MciMedia::writeTone(path, name.c_str(), tone);
}
