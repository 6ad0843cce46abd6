#include "tools/text_convert.h"

#include <gtest/gtest.h>

#include <string>

namespace td {
namespace {

// The case goes first, then the characters: a capital first letter only, and
// every space an underscore.
TEST(CaseConversion, FirstLetterThenSpacesToUnderscores) {
    std::string name = "big BAND live";
    applyConversions(name, kCaseFirstLetter, kCharSpaceToUnderscore);
    EXPECT_EQ(name, "Big_band_live");
}

}  // namespace
}  // namespace td
