#include "tools/format_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"

namespace td {
namespace {

std::vector<std::string> Stored(const Settings& s) {
    std::vector<std::string> out;
    for (int i = 0; i < kFormatHistoryCount; ++i) out.push_back(s.formatPattern(i));
    return out;
}

TEST(FormatHistory, ValidationDropsInvalidPatternsAndPutsTheSelectedFirst) {
    EXPECT_TRUE(isValidFormat("[%G]"));
    EXPECT_FALSE(isValidFormat("%X %"));
    // The tool pages label each token with its field's name.
    LangTable::useBuiltinEnglish();
    EXPECT_EQ(FormatTokenLabel('A'), "%A = Artist");
    Settings settings;
    FormatHistory history;
    history.loadFormatHistory(settings);
    EXPECT_EQ(history.entries(), (std::vector<std::string>{"%N - %A - %T", "%A - %T"}));
    history.setText("%A - %T");
    history.saveFormatHistory(settings, false);
    EXPECT_EQ(history.entries().size(), 2u);  // no duplicate
    history.setText("no token");
    history.saveFormatHistory(settings, false);  // joins without validation
    EXPECT_EQ(history.entries().front(), "no token");
    history.select(2);  // "%A - %T"
    history.saveFormatHistory(settings, true);
    EXPECT_EQ(Stored(settings),
              (std::vector<std::string>{"%A - %T", "%N - %A - %T", "", "", "", "", "", ""}));
    EXPECT_EQ(history.selected(), 0);
    history.select(static_cast<int>(history.entries().size()));  // past the list: nothing selected, the text stays
    EXPECT_EQ(history.selected(), -1);
    EXPECT_EQ(history.text(), "%A - %T");
    FormatHistory none;  // nothing valid left: nothing selected
    none.setText("no token");
    none.saveFormatHistory(settings, true);
    EXPECT_TRUE(none.entries().empty());
    EXPECT_EQ(none.selected(), -1);
    history.setText(std::string(60, 'x') + "%A");
    EXPECT_EQ(history.text(), std::string(50, 'x'));
}

}  // namespace
}  // namespace td
