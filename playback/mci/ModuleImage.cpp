#include "ModuleImage.h"

#include <QFile>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <link.h>
#include <vector>

// The linker's name for the ELF header of the image this code is linked into: a module must
// match it.
extern "C" __attribute__((visibility("hidden"))) const ElfW(Ehdr) __ehdr_start;

namespace {

using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);
using Section = ElfW(Shdr);

// Whether `count` entries of `entryBytes` from `offset` end within `fileBytes`, without overflow.
bool inside(uint64_t offset, uint64_t count, uint64_t entryBytes, uint64_t fileBytes) {
    if (offset > fileBytes)
        return false;
    return entryBytes == 0 || count <= (fileBytes - offset) / entryBytes;
}

}  // namespace

ModuleImage::Fault ModuleImage::check(const QString& path) {
    // Read, never mapped: mapping the file is exactly what faults.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fault::Unreadable;
    const auto fileBytes = static_cast<uint64_t>(file.size());

    Header header{};
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != sizeof header ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return Fault::NotElf;
    const Header& own = __ehdr_start;
    if (header.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] ||
        header.e_ident[EI_DATA] != own.e_ident[EI_DATA] ||
        header.e_ident[EI_VERSION] != EV_CURRENT || header.e_type != ET_DYN ||
        header.e_machine != own.e_machine)
        return Fault::Foreign;

    if (header.e_phentsize != sizeof(Segment) || header.e_phnum == 0 ||
        !inside(header.e_phoff, header.e_phnum, sizeof(Segment), fileBytes))
        return Fault::HeadersOutside;

    std::vector<Segment> segments(header.e_phnum);
    const auto tableBytes = static_cast<qint64>(segments.size() * sizeof(Segment));
    if (!file.seek(static_cast<qint64>(header.e_phoff)) ||
        file.read(reinterpret_cast<char*>(segments.data()), tableBytes) != tableBytes)
        return Fault::HeadersOutside;
    for (const Segment& segment : segments) {
        if (!inside(segment.p_offset, 1, segment.p_filesz, fileBytes))
            return Fault::SegmentOutside;
    }
    if (header.e_shoff != 0 &&
        (header.e_shentsize != sizeof(Section) ||
         !inside(header.e_shoff, header.e_shnum, sizeof(Section), fileBytes)))
        return Fault::HeadersOutside;
    return Fault::None;
}

const char* ModuleImage::describe(Fault fault) {
    switch (fault) {
    case Fault::None:
        return "intact";
    case Fault::Unreadable:
        return "cannot be read";
    case Fault::NotElf:
        return "not a shared library";
    case Fault::Foreign:
        return "built for another machine";
    case Fault::HeadersOutside:
        return "its headers run past its end";
    case Fault::SegmentOutside:
        return "truncated";
    }
    return "damaged";
}
