#pragma once

#include <QString>

// The versions of the libraries the player runs with, in one line for bug reports:
// "Qt 6.4.2, SDL 2.26.5, libmpg123 1.31.2, libsndfile 1.2.0, FFmpeg 5.1.4, FluidSynth 2.3.1".
namespace LibraryVersions {
QString Line();
}
