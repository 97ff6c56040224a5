// The snapshot reader on Linux (native scene tests and tools): the same steps
// as on Windows with mmap, and the messages through a hook instead of boxes.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "renderer/snapshot_decode.h"

namespace {

void PrintDibMessage(const char* text)
{
    std::fprintf(stderr, "%s: %s\n", kDibCaption, text);
}

void ShowDibMessage(const char* text)
{
    if (snapshotMessageHook != nullptr) {
        snapshotMessageHook(text);
    }
}

}  // namespace

SnapshotMessageFn snapshotMessageHook = PrintDibMessage;

RgbImage* ReadDibBytes(const uint8_t* bytes, size_t size)
{
    return ConvertDibImage(bytes, size, ShowDibMessage);
}

RgbImage* ReadDibPath(const char* path, bool quiet)
{
    RgbImage* image = nullptr;
    void* view = MAP_FAILED;
    struct stat info {};

    const int file = open(path, O_RDONLY | O_CLOEXEC);
    // mmap refuses an empty file, like a Windows mapping does.
    if (file >= 0 && fstat(file, &info) == 0 && info.st_size > 0) {
        view = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, file, 0);
    }
    if (view != MAP_FAILED) {
        image = ReadDibBytes(static_cast<const uint8_t*>(view), static_cast<size_t>(info.st_size));
        munmap(view, static_cast<size_t>(info.st_size));
    }
    if (file >= 0)
        close(file);

    if (view == MAP_FAILED && !(quiet && file < 0)) {
        char text[4200];
        FormatDibOpenFailure(text, sizeof text, path);
        ShowDibMessage(text);
    }
    return image;
}
