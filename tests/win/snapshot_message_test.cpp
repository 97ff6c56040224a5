// The snapshot reader's message boxes, proved without a person: a watcher
// thread finds each box captioned "Error", records its text and buttons, and
// presses OK; the reader must then go on and return no image.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "renderer/snapshot.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/files.h"
#include "tests/support/win_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Box {
    std::string text;
    std::vector<std::string> buttons;
};

// Closes every "Error" box of this process while it runs.
class BoxWatcher {
public:
    BoxWatcher() : thread([this] { Run(); }) {}
    ~BoxWatcher()
    {
        stop = true;
        thread.join();
    }
    std::vector<Box> Take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Box> taken;
        taken.swap(boxes);
        return taken;
    }

private:
    void Run()
    {
        while (!stop) {
            HWND box = FindWindowA("#32770", "Error");
            DWORD owner = 0;
            if (box != nullptr)
                GetWindowThreadProcessId(box, &owner);
            if (box == nullptr || owner != GetCurrentProcessId() || !IsWindowVisible(box)) {
                Sleep(10);
                continue;
            }
            const MessageBoxParts found = ReadMessageBox(box);
            {
                std::lock_guard<std::mutex> lock(mutex);
                boxes.push_back({found.texts.empty() ? "" : found.texts.back(), found.buttons});
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            for (int k = 0; k < 200 && IsWindow(box); ++k)
                Sleep(10);
        }
    }
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<Box> boxes;
    std::thread thread;
};

class SnapshotMessages : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        watcher = new BoxWatcher;
    }
    static void TearDownTestSuite()
    {
        delete watcher;
        watcher = nullptr;
    }
    void TearDown() override
    {
        for (const auto& p : files)
            DeleteFileA(p.c_str());
    }
    std::string Path(const char* name)
    {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        files.push_back(std::string(folder) + "bf_snapshot_" + std::to_string(GetCurrentProcessId()) + "_" + name);
        return files.back();
    }
    std::string File(const char* name, const Bytes& bytes)
    {
        const std::string path = Path(name);
        EXPECT_TRUE(WriteBytes(path, bytes)) << path;
        return path;
    }
    // The loader's result; a returned image is freed as the scene frees it.
    static bool Loads(const std::string& path)
    {
        RgbImage* image = LoadSnapshotImage(path.c_str());
        if (image == nullptr)
            return false;
        std::free(image->pixels);
        std::free(image);
        return true;
    }
    static void ExpectOneBox(const std::string& text)
    {
        const std::vector<Box> boxes = watcher->Take();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
    }

    static BoxWatcher* watcher;
    std::vector<std::string> files;
};

BoxWatcher* SnapshotMessages::watcher = nullptr;

bmp::Spec TwoByTwo()
{
    bmp::Spec s;
    s.width = 2;
    s.height = 2;
    s.bits = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    return s;
}

TEST_F(SnapshotMessages, MissingFileShowsNothing)
{
    EXPECT_FALSE(Loads(Path("missing.bmp")));
    EXPECT_TRUE(watcher->Take().empty());
}

TEST_F(SnapshotMessages, GoodFileShowsNothing)
{
    const std::string path = File("good.bmp", bmp::Build(TwoByTwo()));
    RgbImage* image = LoadSnapshotImage(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 12), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    std::free(image->pixels);
    std::free(image);
    EXPECT_TRUE(watcher->Take().empty());
}

TEST_F(SnapshotMessages, EmptyFileCannotBeMapped)
{
    const std::string path = File("empty.bmp", {});
    EXPECT_FALSE(Loads(path));
    ExpectOneBox("Failed to open DIB file " + path + ".\n");
}

// The probe shares the file with a writer; the reader (shared for reading
// only) cannot open it while someone writes it.
TEST_F(SnapshotMessages, FileHeldByAWriter)
{
    const std::string path = File("held.bmp", bmp::Build(TwoByTwo()));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Loads(path));
    CloseHandle(writer);
    ExpectOneBox("Failed to open DIB file " + path + ".\n");
    EXPECT_TRUE(Loads(path));
}

TEST_F(SnapshotMessages, NewerHeadersAreUnknown)
{
    for (uint32_t size : {108u, 124u}) {
        bmp::Spec s = TwoByTwo();
        s.headerSize = size;
        EXPECT_FALSE(Loads(File("v4v5.bmp", bmp::Build(s)))) << size;
        ExpectOneBox("Unknown DIB file format.");
    }
}

TEST_F(SnapshotMessages, ConversionAndMemoryFailures)
{
    bmp::Spec cut = TwoByTwo();
    cut.bits.resize(5);
    EXPECT_FALSE(Loads(File("cut.bmp", bmp::Build(cut))));
    ExpectOneBox("Image file conversion error.");

    bmp::Spec huge;  // a few bytes of RLE claiming a picture beyond any DIB section
    huge.width = 60000;
    huge.height = 60000;
    huge.bitCount = 8;
    huge.compression = bmp::kRle8;
    huge.palette.assign(256, 0x808080);
    huge.bits = {0, 1};
    huge.sizeImage = 2;
    EXPECT_FALSE(Loads(File("huge.bmp", bmp::Build(huge))));
    ExpectOneBox("Out of memory.");

    // Sides a screen can have, but more pixels than an 8K screen: refused
    // before 770 MB are allocated and cleared.
    huge.width = 16384;
    huge.height = 16384;
    EXPECT_FALSE(Loads(File("over-the-cap.bmp", bmp::Build(huge))));
    ExpectOneBox("Out of memory.");
}

}  // namespace
