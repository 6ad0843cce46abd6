#include "tools/text_convert.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"

namespace td {
namespace {

std::string Case(std::string text, int mode) {
    applyCaseConversion(text, mode);
    return text;
}

std::string Chars(std::string text, int mode) {
    applyCharConversion(text, mode);
    return text;
}

TEST(CaseConversion, EachWordRaisesTheLetterAfterEverySpace) {
    EXPECT_EQ(Case("hello   big world", kCaseEachWord), "Hello   Big World");
    EXPECT_EQ(Case("x", kCaseEachWord), "X");
    EXPECT_EQ(Case("SOME BAND", kCaseEachWord), "Some Band");
    EXPECT_EQ(Case(" lead", kCaseEachWord), " Lead");
    EXPECT_EQ(Case("rock-n-roll (live)", kCaseEachWord), "Rock-n-roll (live)");
}

TEST(CaseConversion, OnlyAsciiLettersAreRaised) {
    // "éte" in Windows-1252: the accented first letter stays in lower case.
    EXPECT_EQ(Case("\xE9te", kCaseEachWord), "\xE9te");
    EXPECT_EQ(Case("\xC9TE \xC9T\xC9", kCaseFirstLetter), "\xE9te \xE9t\xE9");
}

TEST(CaseConversion, FirstLetterOfSection) {
    EXPECT_EQ(Case("THE END", kCaseFirstLetter), "The end");
    EXPECT_EQ(Case("", kCaseFirstLetter), "");
    EXPECT_EQ(Case("1 TWO", kCaseFirstLetter), "1 two");
}

TEST(CaseConversion, WholeTextLowerAndUpperIncludingAccentedLetters) {
    EXPECT_EQ(Case("Caf\xC9 M\xDCNCHEN", kCaseLower), "caf\xE9 m\xFCnchen");
    EXPECT_EQ(Case("caf\xE9 m\xFCnchen", kCaseUpper), "CAF\xC9 M\xDCNCHEN");
    // Windows-1252 pairs outside Latin-1: Š/š, Œ/œ, Ž/ž, Ÿ/ÿ.
    EXPECT_EQ(Case("\x8A\x8C\x8E\x9F", kCaseLower), "\x9A\x9C\x9E\xFF");
    EXPECT_EQ(Case("\x9A\x9C\x9E\xFF", kCaseUpper), "\x8A\x8C\x8E\x9F");
    // No single-letter partner: the sharp s and the micro sign stay.
    EXPECT_EQ(Case("stra\xDF" "e \xB5", kCaseUpper), "STRA\xDF" "E \xB5");
    // The multiplication and division signs are not letters.
    EXPECT_EQ(Case("\xD7\xF7", kCaseLower), "\xD7\xF7");
    EXPECT_EQ(Case("\xD7\xF7", kCaseUpper), "\xD7\xF7");
}

TEST(CaseConversion, UnchangedAndUnknownModesLeaveTheText) {
    EXPECT_EQ(Case("MiXeD", kCaseUnchanged), "MiXeD");
    EXPECT_EQ(Case("MiXeD", 5), "MiXeD");
    EXPECT_EQ(Case("MiXeD", -1), "MiXeD");
}

TEST(CharConversion, UnderscoresAndSpaces) {
    EXPECT_EQ(Chars("a_b__c", kCharUnderscoreToSpace), "a b  c");
    EXPECT_EQ(Chars("a b  c", kCharSpaceToUnderscore), "a_b__c");
    EXPECT_EQ(Chars("a_b c", kCharUnchanged), "a_b c");
    EXPECT_EQ(Chars("a_b c", 3), "a_b c");
}

TEST(CharConversion, CaseComesFirstSoUnderscoredWordsAreNotCapitalisedInside) {
    std::string text = "the_big_band";
    applyConversions(text, kCaseEachWord, kCharUnderscoreToSpace);
    EXPECT_EQ(text, "The big band");

    Settings settings;
    settings.caseConversion = kCaseUpper;
    settings.charConversion = kCharSpaceToUnderscore;
    text = "a song";
    applyConversions(text, settings);
    EXPECT_EQ(text, "A_SONG");
}

}  // namespace
}  // namespace td
