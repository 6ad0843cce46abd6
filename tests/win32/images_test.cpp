// The drawn bitmaps as the plug-in module carries them: strips of 16 x 16
// images with the magenta background the image lists mask out.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "tests/win32/host_harness.h"

namespace td::test {
namespace {

class DrawnResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA((TestProgramDir() + "\\gen_Tunedeck.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << "gen_Tunedeck.dll beside the tests";
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(DrawnResourcesTest, BitmapsAreStripsOf16By16WithAMagentaBackground) {
    const struct {
        int id;
        int images;
    } strips[] = {{169, 1}, {176, 1}, {180, 2}, {181, 7}, {182, 4}};
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
                for (int x = 0; x < 16; ++x) clear += GetPixel(dc, image * 16 + x, y) == RGB(255, 0, 255);
            }
            EXPECT_EQ(GetPixel(dc, image * 16, 0), RGB(255, 0, 255)) << strip.id << ":" << image;
            EXPECT_GT(clear, 16) << strip.id << ":" << image;   // a background
            EXPECT_LT(clear, 240) << strip.id << ":" << image;  // and a picture
        }
        SelectObject(dc, previous);
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
}  // namespace td::test
