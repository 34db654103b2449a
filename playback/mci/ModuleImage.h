#pragma once

#include <QString>

// Whether a decoder module's file can be handed to the dynamic loader. The loader maps each
// segment at the offset its header records; a truncated or damaged file makes the first touch of
// a page past its end fault (SIGBUS) inside dlopen, where nothing can catch it. Any thread.
namespace ModuleImage {

enum class Fault {
    None,
    Unreadable,
    NotElf,
    Foreign,         // not a shared library of this process's class, byte order and machine
    HeadersOutside,  // the program or section header table runs past the end of the file
    SegmentOutside,  // a segment's bytes run past the end of the file
};

Fault check(const QString& path);
const char* describe(Fault fault);

}  // namespace ModuleImage
