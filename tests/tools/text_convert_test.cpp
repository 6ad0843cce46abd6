#include "tools/text_convert.h"

#include <gtest/gtest.h>

#include <string>

namespace td {
namespace {

std::string Case(std::string text, int mode) {
    applyCaseConversion(text, mode);
    return text;
}

TEST(CaseConversion, WordsSectionsAndWindows1252Letters) {
    EXPECT_EQ(Case("hello   big WORLD", kCaseEachWord), "Hello   Big World");
    EXPECT_EQ(Case("rock-n-roll (live)", kCaseEachWord), "Rock-n-roll (live)");
    EXPECT_EQ(Case("\xE9te", kCaseEachWord), "\xE9te");  // only ASCII letters are raised
    EXPECT_EQ(Case("\xC9TE \xC9T\xC9", kCaseFirstLetter), "\xE9te \xE9t\xE9");
    EXPECT_EQ(Case("Caf\xC9 M\xDCNCHEN", kCaseLower), "caf\xE9 m\xFCnchen");
    // Pairs outside Latin-1: Š/š, Œ/œ, Ž/ž, Ÿ/ÿ; the sharp s, micro and × ÷ stay.
    EXPECT_EQ(Case("\x9A\x9C\x9E\xFF", kCaseUpper), "\x8A\x8C\x8E\x9F");
    EXPECT_EQ(Case("\x8A\x8C\x8E\x9F", kCaseLower), "\x9A\x9C\x9E\xFF");
    EXPECT_EQ(Case("stra\xDF"
                   "e \xB5\xF7",
                   kCaseUpper),
              "STRA\xDF"
              "E \xB5\xF7");
    EXPECT_EQ(Case("\xD7", kCaseLower), "\xD7");
    EXPECT_EQ(Case("MiXeD", 5), "MiXeD");
    std::string name = "big band_live";
    applyConversions(name, kCaseUpper, kCharSpaceToUnderscore);
    EXPECT_EQ(name, "BIG_BAND_LIVE");
}

}  // namespace
}  // namespace td
