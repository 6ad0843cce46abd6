#include "tools/format_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "settings/settings.h"

namespace td {
namespace {

TEST(FormatPattern, ValidPatternsHoldAnUpperCaseToken) {
    EXPECT_TRUE(isValidFormat("%N"));
    EXPECT_TRUE(isValidFormat("  %N - %A - %T  "));
    EXPECT_TRUE(isValidFormat("[%G]"));
    EXPECT_FALSE(isValidFormat(""));
    EXPECT_FALSE(isValidFormat("     "));
    EXPECT_FALSE(isValidFormat("%a - %t"));
    EXPECT_FALSE(isValidFormat("%X %"));
    EXPECT_FALSE(isValidFormat("plain"));
    EXPECT_FALSE(isValidFormat("abc %"));
}

TEST(FormatPattern, TokenLabelsNameTheFields) {
    LangTable::useBuiltinEnglish();
    EXPECT_EQ(FormatTokenLabel('A'), "%A = Artist");
    EXPECT_EQ(FormatTokenLabel('N'), "%N = Track#");
    EXPECT_EQ(FormatTokenLabel('L'), "%L = Album");
    EXPECT_TRUE(IsFormatTokenLetter('Y'));
    EXPECT_FALSE(IsFormatTokenLetter('y'));
    EXPECT_FALSE(IsFormatTokenLetter('\0'));
}

std::vector<std::string> Stored(const Settings& s) {
    std::vector<std::string> out;
    for (int i = 0; i < kFormatHistoryCount; ++i) out.push_back(s.formatPattern(i));
    return out;
}

TEST(FormatHistory, LoadsTheDefaultPatternsAndSelectsTheFirst) {
    Settings settings;
    FormatHistory history;
    history.loadFormatHistory(settings);
    EXPECT_EQ(history.entries(), (std::vector<std::string>{"%N - %A - %T", "%A - %T"}));
    EXPECT_EQ(history.selected(), 0);
    EXPECT_EQ(history.text(), "%N - %A - %T");
}

TEST(FormatHistory, ANinthPatternKeepsEightNewestFirst) {
    Settings settings;
    for (int i = 0; i < 8; ++i) settings.setFormatPattern(i, "%A " + std::to_string(i));
    FormatHistory history;
    history.loadFormatHistory(settings);
    history.setText("%T new");
    history.saveFormatHistory(settings, false);  // a run starts
    EXPECT_EQ(history.entries().size(), 9u);
    EXPECT_EQ(history.entries()[0], "%T new");
    EXPECT_EQ(settings.formatPattern(0), "%A 0");  // the settings wait for the page to close
    history.saveFormatHistory(settings, true);  // the page closes
    EXPECT_EQ(Stored(settings), (std::vector<std::string>{"%T new", "%A 0", "%A 1", "%A 2", "%A 3",
                                                          "%A 4", "%A 5", "%A 6"}));
}

TEST(FormatHistory, AFullListLosesItsEighthEntryForANewText) {
    Settings settings;
    FormatHistory history;
    history.loadFormatHistory(settings);
    for (int i = 0; i < 9; ++i) {
        history.setText("%A " + std::to_string(i));
        history.saveFormatHistory(settings, false);
    }
    // 2 defaults + 9 typed, trimmed at index 7 whenever more than 8 were held.
    ASSERT_EQ(history.entries().size(), 9u);
    EXPECT_EQ(history.entries()[0], "%A 8");
    EXPECT_EQ(history.entries()[8], "%A - %T");
}

TEST(FormatHistory, TypingAListedPatternDoesNotDuplicateIt) {
    Settings settings;
    FormatHistory history;
    history.loadFormatHistory(settings);
    history.setText("%A - %T");
    history.saveFormatHistory(settings, false);
    EXPECT_EQ(history.entries().size(), 2u);
}

TEST(FormatHistory, ValidationDropsInvalidPatternsAndPutsTheSelectedFirst) {
    Settings settings;
    FormatHistory history;
    history.loadFormatHistory(settings);
    history.setText("no token");
    history.saveFormatHistory(settings, false);  // joins without validation
    EXPECT_EQ(history.entries().front(), "no token");
    history.select(2);  // "%A - %T"
    history.saveFormatHistory(settings, true);
    EXPECT_EQ(history.entries(), (std::vector<std::string>{"%A - %T", "%N - %A - %T"}));
    EXPECT_EQ(Stored(settings),
              (std::vector<std::string>{"%A - %T", "%N - %A - %T", "", "", "", "", "", ""}));
    EXPECT_EQ(history.selected(), 0);
}

TEST(FormatHistory, AnInvalidTypedTextIsNotKeptWithValidation) {
    Settings settings;
    FormatHistory history;
    history.loadFormatHistory(settings);
    history.setText("   ");
    history.saveFormatHistory(settings, true);
    EXPECT_EQ(history.entries().size(), 2u);
    EXPECT_EQ(settings.formatPattern(0), "%N - %A - %T");
}

TEST(FormatHistory, TheFieldTakesFiftyCharacters) {
    FormatHistory history;
    history.setText(std::string(60, 'x') + "%A");
    EXPECT_EQ(history.text(), std::string(50, 'x'));
    EXPECT_EQ(history.selected(), -1);
}

}  // namespace
}  // namespace td
