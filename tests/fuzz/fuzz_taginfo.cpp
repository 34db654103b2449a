// Feeds arbitrary bytes to the tag reader as the contents of a file.
#include "tags/clsTagInfo.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::string g_path;
int g_fd = -1;

void RemoveFile() {
    if (!g_path.empty())
        ::unlink(g_path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zapt_fuzz_tag_XXXXXX";
    g_fd = ::mkstemp(pattern.data());
    if (g_fd < 0) {
        std::perror("mkstemp");
        std::abort();
    }
    g_path = pattern;
    std::atexit(RemoveFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (::ftruncate(g_fd, 0) != 0 || ::pwrite(g_fd, data, size, 0) != ssize_t(size))
        std::abort();
    clsTagInfo tag;
    tag.GetTagInfo(QString::fromStdString(g_path));
    // Touch every field so a bad string would be noticed by the sanitizer.
    volatile qsizetype total = tag.Title.size() + tag.ArtistName.size() + tag.Album.size() +
                               tag.Track.size() + tag.Year.size();
    (void)total;
    return 0;
}
