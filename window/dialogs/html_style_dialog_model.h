// The "HTML CSS class editor" dialog (template 144): the eight CSS templates
// of the HTML export, four style classes and a hyperlink colour each.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/settings.h"
#include "window/dialogs/dialog_model.h"

namespace td {

// The colour boxes: text and background of each class (class c: 2c and
// 2c + 1, classes in the order body text, title page, header columns, text
// columns), then the hyperlink colour.
constexpr int kHtmlColorSlotCount = 9;
constexpr int kHtmlLinkColorSlot = 8;
constexpr int kHtmlClassCount = 4;
// A colour box holds six hexadecimal digits, red, green, blue.
constexpr size_t kHexColorDigits = 6;

// "FF8000" -> 0x000080FF (a Windows colour value). Returns 0 on success, or
// the language text of the fault: 259 "Input is not a valid hexnumber" for a
// character that is not a hexadecimal digit, 260 "Error in hexvalue !!!" for
// a text that is not six digits long.
int parseHexColor(const std::string& text, uint32_t& color);
// 0x000080FF -> "FF8000".
std::string hexColorText(uint32_t color);

class HtmlStyleDialogModel {
public:
    // Opens on the template in use; edits a copy of all eight.
    explicit HtmlStyleDialogModel(const Settings& settings);

    int templateIndex;  // the template chooser, 0 to 7

    const HtmlTemplate& shown() const;
    // Class `index` (0 to 3) of the template shown; nullptr outside.
    HtmlStyleClass* styleClass(int index);
    uint32_t color(int slot) const;  // 0 outside the slots
    // A colour typed into box `slot`: on a fault shows its message (caption
    // "Error", stop icon), changes nothing and returns false.
    bool setColorText(int slot, const std::string& text, Prompter& prompter);
    // A colour from the colour chooser (the high byte is dropped).
    bool setColor(int slot, uint32_t color);
    // Font name (0 to 3), style (0 to 3) and size (0 to 6) of class `index`;
    // false, and nothing changed, when any is outside its list.
    bool setFont(int index, int name, int style, int size);

    // OK: the eight templates are stored and the one shown becomes the one
    // in use. A chooser index outside 0..7 is refused.
    bool ok(Settings& settings, Prompter& prompter) const;

private:
    uint32_t* colorField(int slot);
    std::array<HtmlTemplate, kHtmlTemplateCount> templates_;
};

}  // namespace td
