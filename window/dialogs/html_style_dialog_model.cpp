#include "window/dialogs/html_style_dialog_model.h"

#include <cstdio>
#include <cstring>

#include "settings/lang_table.h"

namespace td {
namespace {

constexpr int kLangNotHex = 259;  // "Input is not a valid hexnumber"
constexpr int kLangBadHex = 260;  // "Error in hexvalue !!!"

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int parseHexColor(const std::string& text, uint32_t& color) {
    uint32_t rgb = 0;
    for (char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) return kLangNotHex;
        rgb = (rgb << 4) | static_cast<uint32_t>(digit & 0xF);
        if (rgb > 0xFFFFFFu) return kLangBadHex;
    }
    if (text.size() != kHexColorDigits) return kLangBadHex;
    color = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return 0;
}

std::string hexColorText(uint32_t color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF), static_cast<unsigned>((color >> 16) & 0xFF));
    return buffer;
}

HtmlStyleDialogModel::HtmlStyleDialogModel(const Settings& settings)
    : templateIndex(inRange(settings.htmlTemplate, 0, kHtmlTemplateCount - 1) ? settings.htmlTemplate : 0) {
    std::memcpy(templates_.data(), settings.htmlTemplates, sizeof settings.htmlTemplates);
}

const HtmlTemplate& HtmlStyleDialogModel::shown() const {
    return templates_[static_cast<size_t>(inRange(templateIndex, 0, kHtmlTemplateCount - 1) ? templateIndex
                                                                                            : 0)];
}

HtmlStyleClass* HtmlStyleDialogModel::styleClass(int index) {
    if (!inRange(index, 0, kHtmlClassCount - 1)) return nullptr;
    HtmlTemplate& t = const_cast<HtmlTemplate&>(shown());
    HtmlStyleClass* classes[kHtmlClassCount] = {&t.textPage, &t.titlePage, &t.columnHeader, &t.columnText};
    return classes[index];
}

uint32_t* HtmlStyleDialogModel::colorField(int slot) {
    if (slot == kHtmlLinkColorSlot) return &const_cast<HtmlTemplate&>(shown()).hyperlinkColor;
    HtmlStyleClass* style = inRange(slot, 0, kHtmlLinkColorSlot - 1) ? styleClass(slot / 2) : nullptr;
    if (!style) return nullptr;
    return slot % 2 == 0 ? &style->textColor : &style->backgroundColor;
}

uint32_t HtmlStyleDialogModel::color(int slot) const {
    const uint32_t* field = const_cast<HtmlStyleDialogModel*>(this)->colorField(slot);
    return field ? *field : 0;
}

bool HtmlStyleDialogModel::setColor(int slot, uint32_t color) {
    uint32_t* field = colorField(slot);
    if (!field) return false;
    *field = color & 0x00FFFFFFu;
    return true;
}

bool HtmlStyleDialogModel::setColorText(int slot, const std::string& text, Prompter& prompter) {
    uint32_t color = 0;
    const int fault = parseHexColor(text, color);
    if (fault != 0) {
        showDialogError(prompter, LangTable::getString(fault));
        return false;
    }
    return setColor(slot, color);
}

bool HtmlStyleDialogModel::setFont(int index, int name, int style, int size) {
    HtmlStyleClass* target = styleClass(index);
    if (!target || !inRange(name, 0, kFontNameCount - 1) || !inRange(style, 0, kFontStyleCount - 1) ||
        !inRange(size, 0, kFontSizeCount - 1)) {
        return false;
    }
    target->fontName = name;
    target->fontStyle = style;
    target->fontSize = size;
    return true;
}

bool HtmlStyleDialogModel::ok(Settings& settings, Prompter&) const {
    if (!inRange(templateIndex, 0, kHtmlTemplateCount - 1)) return false;
    std::memcpy(settings.htmlTemplates, templates_.data(), sizeof settings.htmlTemplates);
    settings.htmlTemplate = templateIndex;
    return true;
}

}  // namespace td
