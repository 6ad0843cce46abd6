// The drawn icons, cursor and bitmaps as the plug-in module carries them:
// each resource loads through the system under its number, in the sizes and
// with the transparency the windows rely on.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace td {
namespace {

// gen_Tunedeck.dll beside this test program, loaded for its resources only.
class DrawnResourcesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path);
        dll = dll.substr(0, dll.find_last_of("\\/") + 1) + "gen_Tunedeck.dll";
        module_ = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "gen_Tunedeck.dll beside the tests"; }

    static HMODULE module_;
};

HMODULE DrawnResourcesTest::module_ = nullptr;

SIZE IconSize(HICON icon) {
    ICONINFO info = {};
    SIZE size = {0, 0};
    if (!GetIconInfo(icon, &info)) return size;
    BITMAP bm = {};
    GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    size.cx = bm.bmWidth;
    size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

TEST_F(DrawnResourcesTest, EveryIconComesInSmallAndLargeSize) {
    int ids[16];
    int count = 0;
    for (int id = 106; id <= 113; ++id) ids[count++] = id;
    for (int id = 125; id <= 131; ++id) ids[count++] = id;
    ids[count++] = 147;
    for (int i = 0; i < count; ++i) {
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(
                LoadImageA(module_, MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << "icon " << ids[i] << " at " << size;
            const SIZE got = IconSize(icon);
            EXPECT_EQ(got.cx, size) << ids[i];
            EXPECT_EQ(got.cy, size) << ids[i];
            DestroyIcon(icon);
        }
    }
    // The default icon size too, as LoadIcon gives it for the tray.
    HICON app = LoadIconA(module_, MAKEINTRESOURCEA(106));
    EXPECT_NE(app, nullptr);
}

TEST_F(DrawnResourcesTest, SplitterCursorHasItsHotSpotInTheMiddle) {
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageA(module_, MAKEINTRESOURCEA(160), IMAGE_CURSOR, 32, 32, 0));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16U);
    EXPECT_EQ(info.yHotspot, 16U);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyCursor(cursor);
}

TEST_F(DrawnResourcesTest, BitmapsAreStripsOf16By16WithAMagentaBackground) {
    const struct {
        int id;
        int images;
    } strips[] = {{169, 1}, {170, 1}, {171, 1}, {172, 1}, {173, 1}, {174, 1},
                  {175, 1}, {176, 1}, {180, 2}, {181, 3}, {182, 4}};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& strip : strips) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(module_, MAKEINTRESOURCEA(strip.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr) << "bitmap " << strip.id;
        BITMAP bm = {};
        ASSERT_TRUE(GetObject(bitmap, sizeof(bm), &bm));
        EXPECT_EQ(bm.bmWidth, 16 * strip.images) << strip.id;
        EXPECT_EQ(bm.bmHeight, 16) << strip.id;
        EXPECT_EQ(bm.bmBitsPixel, 24) << strip.id;

        HGDIOBJ previous = SelectObject(dc, bitmap);
        for (int image = 0; image < strip.images; ++image) {
            int clear = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    if (GetPixel(dc, image * 16 + x, y) == RGB(255, 0, 255)) ++clear;
                }
            }
            EXPECT_EQ(GetPixel(dc, image * 16, 0), RGB(255, 0, 255)) << strip.id << ":" << image;
            EXPECT_GT(clear, 16) << strip.id << ":" << image;  // a background
            EXPECT_LT(clear, 240) << strip.id << ":" << image;  // and a picture
        }
        SelectObject(dc, previous);

        // An image list takes the strip apart with magenta as its mask.
        HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, strip.images, 0);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(ImageList_AddMasked(list, bitmap, RGB(255, 0, 255)), 0) << strip.id;
        EXPECT_EQ(ImageList_GetImageCount(list), strip.images) << strip.id;
        ImageList_Destroy(list);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
}

}  // namespace
}  // namespace td
