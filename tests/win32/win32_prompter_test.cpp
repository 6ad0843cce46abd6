// What the real dialogs make of the language table's filters and of the
// open dialog's multiple-selection buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/win32/win32_prompter.h"

namespace td {
namespace {

TEST(Win32Prompter, FilterSeparatorsBecomeNulsAndTheListEndsWithTwo) {
    // The last character is the separator, whatever it is.
    EXPECT_EQ(CommonDialogFilter("A#*.a#B#*.b#"), std::string("A\0*.a\0B\0*.b\0\0\0", 14));
    EXPECT_EQ(CommonDialogFilter(""), std::string("\0\0", 2));
}

TEST(Win32Prompter, OpenDialogBufferGivesFullPaths) {
    const struct {
        std::string buffer;
        std::vector<std::string> paths;
    } cases[] = {
        {std::string("C:\\music\\one.mp3\0\0", 18), {"C:\\music\\one.mp3"}},
        {std::string("C:\\music\0a.mp3\0b.mp2\0\0", 22), {"C:\\music\\a.mp3", "C:\\music\\b.mp2"}},
        // A root keeps its one separator.
        {std::string("C:\\\0a.mp3\0b.mp3\0\0", 17), {"C:\\a.mp3", "C:\\b.mp3"}},
        // A buffer without its final NULs ends where the buffer ends.
        {std::string("C:\\m\0a.mp3\0b.mp3", 16), {"C:\\m\\a.mp3", "C:\\m\\b.mp3"}},
        {std::string("\0\0", 2), {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitOpenDialogBuffer(c.buffer.data(), c.buffer.size()), c.paths) << c.buffer;
    }
}

}  // namespace
}  // namespace td
