// libFuzzer target for the snapshot decoder: any bytes are either decoded or
// refused with exactly one message, never read outside, never leaked
// (AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer watch).
#include <cstdlib>

#include "renderer/snapshot_decode.h"

namespace {

int messages = 0;

void Count(const char* text)
{
    if (text == nullptr)
        __builtin_trap();
    ++messages;
}

// Keeps each input's allocation small; the decoding code is the same for
// larger pictures, and those are allocated for real by the unit tests.
constexpr size_t kLargestPicture = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DibLayout layout;
    const DibStatus status = ParseDib(data, size, &layout);
    if (status != DibStatus::Ok) {
        messages = 0;
        if (ConvertDibImage(data, size, Count) != nullptr || messages != 1)
            __builtin_trap();
        return 0;
    }
    if (size >= 18) {
        const uint8_t* header = data + ((data[0] == 'B' && data[1] == 'M') ? 14 : 0);
        (void)CountDibColors(header);
    }
    if (DibOutputBytes(layout) > kLargestPicture)
        return 0;

    messages = 0;
    RgbImage* image = ConvertDibImage(data, size, Count);
    if (image == nullptr) {
        // Only a run-length stream can still fail after a good parse.
        const bool rle = layout.encoding == DibEncoding::Rle4 || layout.encoding == DibEncoding::Rle8;
        if (!rle || messages != 1)
            __builtin_trap();
        return 0;
    }
    if (messages != 0 || image->width != layout.width || image->height != layout.rows)
        __builtin_trap();
    std::free(image->pixels);
    std::free(image);
    return 0;
}
