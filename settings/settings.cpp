#include "settings/settings.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "settings/lang_table.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace td {

const char kSettingsFileName[] = "gen_Tunedeck.ini";
const char kDefaultLanguageName[] = "English(Default";

const int32_t kDefaultColumnVisible[kColumnCount] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                     1, 1, 1, 1, 1, 1, 0, 0, 0, 0};
const int32_t kDefaultColumnWidth[kColumnCount] = {120, 160, 85,  45, 160, 160, 75, 90,  70,  100,
                                                   50,  80,  400, 60, 80,  60,  80, 250, 150, 100};

namespace {

// Windows colour values hold red in the low byte.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

constexpr HtmlStyleClass Style(uint32_t text, uint32_t background, int32_t font, int32_t style,
                               int32_t size) {
    return HtmlStyleClass{text, background, font, style, size};
}

// Built-in names are space-padded to the width of "Windows color  " so that
// they line up in the theme list; the rest of the 80 bytes is zero.
constexpr int kThemeNameWidth = 15;

constexpr ColorTheme Theme(const char* name, uint32_t text, uint32_t background, uint32_t alternate,
                           uint32_t selectedText, uint32_t selectedBackground, uint32_t playingText,
                           uint32_t playingBackground) {
    ColorTheme theme{};
    int i = 0;
    for (; name[i] != '\0' && i < kThemeNameSize - 1; ++i) theme.name[i] = name[i];
    for (; i < kThemeNameWidth; ++i) theme.name[i] = ' ';
    theme.text = text;
    theme.background = background;
    theme.alternateBackground = alternate;
    theme.selectedText = selectedText;
    theme.selectedBackground = selectedBackground;
    theme.playingText = playingText;
    theme.playingBackground = playingBackground;
    return theme;
}

}  // namespace

const char* const kHtmlTemplateNames[kHtmlTemplateCount] = {"Paris", "London", "New-York", "Cairo",
                                                            "Tokyo", "Athena", "Toronto",  "Geneva"};

const HtmlTemplate kBuiltinHtmlTemplates[kHtmlTemplateCount] = {
    {Style(Rgb(0xFF, 0xBF, 0x00), Rgb(0x00, 0x00, 0x40), 0, 0, 1),
     Style(Rgb(0xFF, 0xBF, 0x00), Rgb(0x00, 0x00, 0x40), 0, 1, 5),
     Style(Rgb(0x00, 0x00, 0x40), Rgb(0xFF, 0xBF, 0x00), 0, 1, 3),
     Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x00, 0x00, 0x40), 0, 0, 0), Rgb(0x40, 0x9F, 0xFF)},
    {Style(Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), 1, 0, 1),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), 1, 1, 6),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0xC0, 0xC0, 0xC0), 1, 1, 2),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), 1, 0, 1), Rgb(0x00, 0x00, 0xFF)},
    {Style(Rgb(0x50, 0x50, 0x50), Rgb(0xC0, 0xC0, 0xC0), 1, 1, 1),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0x90, 0x98, 0xB0), 1, 1, 1),
     Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x50, 0x64, 0x80), 1, 1, 1),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0x80, 0x98, 0xB0), 1, 1, 1), Rgb(0x00, 0x00, 0xA0)},
    {Style(Rgb(0xE0, 0xCC, 0x98), Rgb(0x40, 0x00, 0x00), 2, 0, 1),
     Style(Rgb(0xE0, 0xCC, 0x98), Rgb(0x40, 0x00, 0x00), 2, 1, 5),
     Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x80, 0x00, 0x00), 2, 0, 1),
     Style(Rgb(0x80, 0x00, 0x00), Rgb(0xE0, 0xCC, 0x98), 2, 0, 1), Rgb(0xFF, 0x00, 0x00)},
    {Style(Rgb(0x00, 0x00, 0x00), Rgb(0x73, 0x79, 0x73), 0, 0, 1),
     Style(Rgb(0x9C, 0xAA, 0xB5), Rgb(0x00, 0x00, 0x00), 0, 1, 5),
     Style(Rgb(0x9F, 0xA4, 0x9F), Rgb(0x56, 0x59, 0x65), 0, 1, 3),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0x99, 0xA4, 0x9F), 0, 0, 0), Rgb(0x00, 0x28, 0x73)},
    {Style(Rgb(0xA0, 0x97, 0x8F), Rgb(0x3F, 0x27, 0x3F), 0, 0, 1),
     Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x70, 0x5F, 0x50), 0, 1, 5),
     Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x40, 0x3F, 0x5F), 0, 1, 3),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0xA0, 0x97, 0x8F), 0, 0, 0), Rgb(0xD0, 0xCF, 0xC0)},
    {Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x00, 0x00, 0x00), 3, 1, 1),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0x70, 0x70, 0x70), 3, 1, 1),
     Style(Rgb(0xFF, 0xFF, 0xFF), Rgb(0x3F, 0x3F, 0x3F), 3, 1, 1),
     Style(Rgb(0x3F, 0x8F, 0xB0), Rgb(0x00, 0x00, 0x00), 3, 1, 1), Rgb(0x3F, 0x8F, 0xB0)},
    {Style(Rgb(0x1F, 0x1F, 0x3F), Rgb(0x6F, 0x77, 0x6F), 3, 1, 1),
     Style(Rgb(0x6F, 0x77, 0x6F), Rgb(0x00, 0x08, 0x2F), 3, 1, 4),
     Style(Rgb(0x00, 0x00, 0x00), Rgb(0xBF, 0xBF, 0xBF), 3, 1, 3),
     Style(Rgb(0x40, 0x3F, 0x30), Rgb(0x6F, 0x77, 0x6F), 3, 1, 1), Rgb(0x30, 0x2F, 0x40)},
};

// Every built-in theme but the first keeps its text readable on both line
// backgrounds and on the selection and playing bars (contrast ratio 4.5:1
// or better, checked by the tests).
const ColorTheme kBuiltinThemes[kThemeCount] = {
    Theme("Windows color", 0, 0, 0, 0, 0, 0, 0),
    Theme("Classic", 0x000000, 0xFFFFFF, 0xF5F5F5, 0xFFFFFF, 0x800000, 0xFF0000, 0xFFFFFF),
    Theme("Ocean",  //
          Rgb(0x0B, 0x25, 0x45), Rgb(0xF0, 0xF7, 0xFF), Rgb(0xE1, 0xEE, 0xFB), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x1F, 0x5F, 0x99), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x00, 0x79, 0x6B)),
    Theme("Forest",  //
          Rgb(0x1B, 0x3A, 0x1B), Rgb(0xF3, 0xF8, 0xF1), Rgb(0xE6, 0xF0, 0xE2), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x2E, 0x7D, 0x32), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x7B, 0x5B, 0x4C)),
    Theme("Sunset",  //
          Rgb(0x4A, 0x1C, 0x0C), Rgb(0xFF, 0xF5, 0xEB), Rgb(0xFD, 0xE8, 0xD7), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0xB5, 0x47, 0x1A), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x6A, 0x1B, 0x9A)),
    Theme("Midnight",  //
          Rgb(0xD8, 0xDE, 0xE9), Rgb(0x1B, 0x1F, 0x2A), Rgb(0x23, 0x28, 0x37), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x3B, 0x5B, 0xA9), Rgb(0x1B, 0x1F, 0x2A), Rgb(0xF0, 0xC0, 0x5A)),
    Theme("Charcoal",  //
          Rgb(0xE6, 0xE6, 0xE6), Rgb(0x2B, 0x2B, 0x2B), Rgb(0x33, 0x33, 0x33), Rgb(0x00, 0x00, 0x00),
          Rgb(0x8A, 0xB4, 0xF8), Rgb(0x2B, 0x2B, 0x2B), Rgb(0xF2, 0x8B, 0x82)),
    Theme("Parchment",  //
          Rgb(0x4F, 0x5F, 0x66), Rgb(0xFD, 0xF6, 0xE3), Rgb(0xEE, 0xE8, 0xD5), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x1F, 0x6F, 0xAD), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xA8, 0x28, 0x6A)),
    Theme("Deep Sea",  //
          Rgb(0xA9, 0xB7, 0xB7), Rgb(0x00, 0x2B, 0x36), Rgb(0x07, 0x36, 0x42), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x1F, 0x6F, 0xAD), Rgb(0x00, 0x2B, 0x36), Rgb(0xC9, 0xA2, 0x27)),
    Theme("Lavender",  //
          Rgb(0x2E, 0x1A, 0x47), Rgb(0xF7, 0xF3, 0xFC), Rgb(0xEE, 0xE6, 0xF8), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x6A, 0x3F, 0xA0), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xAD, 0x14, 0x57)),
    Theme("Rose",  //
          Rgb(0x4A, 0x14, 0x26), Rgb(0xFF, 0xF5, 0xF8), Rgb(0xFC, 0xE4, 0xEC), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0xAD, 0x14, 0x57), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x37, 0x47, 0x4F)),
    Theme("Sand",  //
          Rgb(0x3E, 0x2F, 0x1C), Rgb(0xF8, 0xF1, 0xE4), Rgb(0xEF, 0xE3, 0xCC), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x7A, 0x5A, 0x33), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x2F, 0x64, 0x82)),
    Theme("Slate",  //
          Rgb(0x1E, 0x29, 0x3B), Rgb(0xF1, 0xF5, 0xF9), Rgb(0xE2, 0xE8, 0xF0), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x47, 0x55, 0x69), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x0F, 0x76, 0x6E)),
    Theme("Mint",  //
          Rgb(0x11, 0x3B, 0x2E), Rgb(0xF0, 0xFB, 0xF6), Rgb(0xDD, 0xF4, 0xEA), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x11, 0x79, 0x5B), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x6D, 0x4C, 0x9F)),
    Theme("Amber Terminal",  //
          Rgb(0xFF, 0xB0, 0x00), Rgb(0x1A, 0x10, 0x00), Rgb(0x26, 0x1A, 0x00), Rgb(0x1A, 0x10, 0x00),
          Rgb(0xFF, 0xB0, 0x00), Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xE0, 0x8A)),
    Theme("Green Terminal",  //
          Rgb(0x33, 0xFF, 0x66), Rgb(0x00, 0x1A, 0x00), Rgb(0x00, 0x26, 0x00), Rgb(0x00, 0x1A, 0x00),
          Rgb(0x33, 0xFF, 0x66), Rgb(0x00, 0x1A, 0x00), Rgb(0xB3, 0xFF, 0xB3)),
    Theme("Steel",  //
          Rgb(0x1C, 0x28, 0x33), Rgb(0xE8, 0xEC, 0xEF), Rgb(0xD5, 0xDC, 0xE1), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x34, 0x49, 0x5E), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xA9, 0x32, 0x26)),
    Theme("Coffee",  //
          Rgb(0xF3, 0xE5, 0xD0), Rgb(0x3B, 0x2A, 0x20), Rgb(0x46, 0x33, 0x2A), Rgb(0x3B, 0x2A, 0x20),
          Rgb(0xE0, 0xB4, 0x7A), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x8E, 0x3B, 0x2F)),
    Theme("Arctic",  //
          Rgb(0x10, 0x2A, 0x43), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xEE, 0xF6, 0xFB), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x1F, 0x6B, 0xAF), Rgb(0x10, 0x2A, 0x43), Rgb(0xBC, 0xE4, 0xFA)),
    Theme("Autumn",  //
          Rgb(0x3D, 0x1F, 0x0A), Rgb(0xFF, 0xF8, 0xEE), Rgb(0xFB, 0xEB, 0xD6), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x9A, 0x4A, 0x22), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x4E, 0x5E, 0x26)),
    Theme("Plum",  //
          Rgb(0xEE, 0xDD, 0xF3), Rgb(0x2D, 0x1B, 0x33), Rgb(0x37, 0x22, 0x3F), Rgb(0x2D, 0x1B, 0x33),
          Rgb(0xD7, 0xA6, 0xE8), Rgb(0x2D, 0x1B, 0x33), Rgb(0xF6, 0xC1, 0x77)),
    Theme("High Contrast",  //
          Rgb(0xFF, 0xFF, 0xFF), Rgb(0x00, 0x00, 0x00), Rgb(0x14, 0x14, 0x14), Rgb(0x00, 0x00, 0x00),
          Rgb(0xFF, 0xFF, 0x00), Rgb(0x00, 0x00, 0x00), Rgb(0x00, 0xFF, 0xFF)),
    Theme("Contrast White",  //
          Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xF0, 0xF0, 0xF0), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x80, 0x00, 0x80)),
    Theme("Sky",  //
          Rgb(0x0D, 0x2B, 0x45), Rgb(0xF5, 0xFA, 0xFF), Rgb(0xE3, 0xF2, 0xFD), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x15, 0x65, 0xC0), Rgb(0x0D, 0x2B, 0x45), Rgb(0xFF, 0xE0, 0x82)),
    Theme("Olive",  //
          Rgb(0x2F, 0x33, 0x14), Rgb(0xF7, 0xF8, 0xEE), Rgb(0xEC, 0xEF, 0xD8), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x5C, 0x6A, 0x18), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x7B, 0x3F, 0x61)),
    Theme("Ruby",  //
          Rgb(0xF5, 0xE1, 0xE4), Rgb(0x2A, 0x0F, 0x14), Rgb(0x35, 0x14, 0x1B), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0xB0, 0x26, 0x3C), Rgb(0x2A, 0x0F, 0x14), Rgb(0xF2, 0xC1, 0x4E)),
    Theme("Teal",  //
          Rgb(0x0E, 0x3B, 0x3B), Rgb(0xF0, 0xFA, 0xFA), Rgb(0xDC, 0xF2, 0xF2), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x00, 0x79, 0x6B), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xB2, 0x3A, 0x0B)),
    Theme("Graphite",  //
          Rgb(0x21, 0x21, 0x21), Rgb(0xFA, 0xFA, 0xFA), Rgb(0xEE, 0xEE, 0xEE), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x42, 0x42, 0x42), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x19, 0x67, 0xC0)),
    Theme("Polar Night",  //
          Rgb(0xEC, 0xEF, 0xF4), Rgb(0x2E, 0x34, 0x40), Rgb(0x3B, 0x42, 0x52), Rgb(0x2E, 0x34, 0x40),
          Rgb(0x88, 0xC0, 0xD0), Rgb(0x2E, 0x34, 0x40), Rgb(0xA3, 0xBE, 0x8C)),
    Theme("Peach",  //
          Rgb(0x4A, 0x25, 0x11), Rgb(0xFF, 0xF4, 0xEC), Rgb(0xFF, 0xE6, 0xD5), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0xB0, 0x46, 0x18), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x33, 0x63, 0x7F)),
    Theme("Denim",  //
          Rgb(0x12, 0x24, 0x3A), Rgb(0xEE, 0xF2, 0xF8), Rgb(0xDC, 0xE4, 0xF0), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x2F, 0x4B, 0x7C), Rgb(0x12, 0x24, 0x3A), Rgb(0xF4, 0xD3, 0x5E)),
    Theme("Moss",  //
          Rgb(0xDC, 0xE8, 0xD0), Rgb(0x1F, 0x2A, 0x1C), Rgb(0x26, 0x33, 0x22), Rgb(0x1F, 0x2A, 0x1C),
          Rgb(0xA8, 0xC6, 0x86), Rgb(0x1F, 0x2A, 0x1C), Rgb(0xE9, 0xC4, 0x6A)),
    Theme("Sepia",  //
          Rgb(0x3B, 0x2E, 0x1E), Rgb(0xF4, 0xEC, 0xD8), Rgb(0xEA, 0xDF, 0xC3), Rgb(0xF4, 0xEC, 0xD8),
          Rgb(0x70, 0x42, 0x14), Rgb(0xFF, 0xFF, 0xFF), Rgb(0x2C, 0x5F, 0x2D)),
    Theme("Ink",  //
          Rgb(0x1A, 0x1A, 0x2E), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xF2, 0xF2, 0xF7), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x16, 0x21, 0x3E), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xB8, 0x24, 0x3F)),
    Theme("Dusk",  //
          Rgb(0xE0, 0xE0, 0xF0), Rgb(0x25, 0x25, 0x3A), Rgb(0x2C, 0x2C, 0x45), Rgb(0xFF, 0xFF, 0xFF),
          Rgb(0x4F, 0x4F, 0xA8), Rgb(0x25, 0x25, 0x3A), Rgb(0xF4, 0xA2, 0x61)),
};

SystemColors CurrentSystemColors() {
#ifdef _WIN32
    return SystemColors{static_cast<uint32_t>(GetSysColor(COLOR_WINDOWTEXT)),
                        static_cast<uint32_t>(GetSysColor(COLOR_WINDOW)),
                        static_cast<uint32_t>(GetSysColor(COLOR_HIGHLIGHTTEXT)),
                        static_cast<uint32_t>(GetSysColor(COLOR_HIGHLIGHT))};
#else
    // No system palette to ask: the light scheme most desktops start with.
    return SystemColors{0x000000, 0xFFFFFF, 0xFFFFFF, Rgb(0x33, 0x99, 0xFF)};
#endif
}

namespace {

constexpr uint32_t kColorMask = 0x00FFFFFF;  // a plain RGB colour, no palette flags
constexpr int32_t kMaxColumnWidth = 32767;

template <size_t N>
void CopyString(char (&target)[N], const char* text) {
    std::memset(target, 0, N);
    const size_t length = std::min(std::strlen(text), N - 1);
    std::memcpy(target, text, length);
}

template <size_t N>
std::string ReadString(const char (&source)[N]) {
    size_t length = 0;
    while (length < N && source[length] != '\0') ++length;
    return std::string(source, length);
}

// Flags are tested for truth everywhere, so any non-zero value already meant 1.
void Flag(int32_t& value) {
    if (value != 0) value = 1;
}

void Choice(int32_t& value, int32_t low, int32_t high, int32_t fallback) {
    if (value < low || value > high) value = fallback;
}

void ColumnOrderFrom(const int32_t* in, int32_t* out) {
    bool seen[kColumnCount] = {};
    int n = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        const int32_t id = in[i];
        if (id >= 0 && id < kColumnCount && !seen[id]) {
            seen[id] = true;
            out[n++] = id;
        }
    }
    for (int32_t id = 0; id < kColumnCount; ++id) {
        if (!seen[id]) out[n++] = id;
    }
}

void SanitizeStyle(HtmlStyleClass& style, const HtmlStyleClass& fallback) {
    style.textColor &= kColorMask;
    style.backgroundColor &= kColorMask;
    Choice(style.fontName, 0, kFontNameCount - 1, fallback.fontName);
    Choice(style.fontStyle, 0, kFontStyleCount - 1, fallback.fontStyle);
    Choice(style.fontSize, 0, kFontSizeCount - 1, fallback.fontSize);
}

constexpr WindowPlacementRecord kDefaultPlacement = {44, 3, 1, 10, 10, 10, 10, 10, 10, 600, 400};

bool PlacementUsable(const WindowPlacementRecord& p) {
    // Far beyond any desktop, or an inside-out rectangle: the window would
    // open where it cannot be seen or used.
    constexpr int32_t kLimit = 1000000;
    const int32_t values[] = {p.minX, p.minY, p.maxX, p.maxY, p.left, p.top, p.right, p.bottom};
    for (int32_t v : values) {
        if (v < -kLimit || v > kLimit) return false;
    }
    return p.right > p.left && p.bottom > p.top && p.showCmd <= 11;
}

}  // namespace

Settings::Settings(const std::string& directory) {
    SettingsRecord& record = *this;
    std::memset(&record, 0, sizeof record);
    if (directory.empty()) {
        path_ = kSettingsFileName;
    } else {
        const char last = directory.back();
        path_ = directory;
        if (last != '\\' && last != '/') path_ += kPathSeparator;
        path_ += kSettingsFileName;
    }
    applyDefaults();
}

bool Settings::load() {
    std::unique_ptr<File> file = Fs().Open(path_, OpenMode::Read);
    std::string bytes;
    if (file) {
        bytes.resize(kSettingsFileSize);
        size_t got = 0;
        while (got < kSettingsFileSize) {
            const size_t n = file->Read(&bytes[got], kSettingsFileSize - got);
            if (n == 0) break;
            got += n;
        }
        file->Close();
        bytes.resize(got);
    }
    return fromBytes(bytes.data(), bytes.size());
}

bool Settings::save() const {
    const SettingsRecord& record = *this;
    return WriteFileAtomically(path_, &record, sizeof record);
}

bool Settings::fromBytes(const void* data, size_t size) {
    if (!data || size < kSettingsFileSize) {
        applyDefaults();
        return false;
    }
    SettingsRecord& record = *this;
    std::memcpy(&record, data, sizeof record);
    sanitize();
    return true;
}

std::string Settings::toBytes() const {
    const SettingsRecord& record = *this;
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

void Settings::applyDefaults() {
    defaultsHtml();
    defaultsTheme();
    defaultsColumns();
    defaultsTools();
    defaultsOptions();
}

void Settings::reset(unsigned categories) {
    if (categories & kResetHtml) defaultsHtml();
    if (categories & kResetColumns) defaultsColumns();
    if (categories & kResetTools) defaultsTools();
    if (categories & kResetOptions) defaultsOptions();
    if (categories & kResetTheme) defaultsTheme();
}

void Settings::defaultsHtml() {
    htmlTemplate = 0;
    std::memcpy(htmlTemplates, kBuiltinHtmlTemplates, sizeof htmlTemplates);
}

void Settings::defaultsTheme() {
    themeIndex = 0;
    std::memcpy(themes, kBuiltinThemes, sizeof themes);
    refreshSystemTheme();
    iconPackage = 0;
    ratingPackage = 0;
}

void Settings::refreshSystemTheme(const SystemColors& colors) {
    ColorTheme& system = themes[0];
    system.text = colors.windowText & kColorMask;
    system.background = colors.window & kColorMask;
    system.alternateBackground = colors.window & kColorMask;
    system.selectedText = colors.highlightText & kColorMask;
    system.selectedBackground = colors.highlight & kColorMask;
    // The playing song shows in inverse video.
    system.playingText = colors.window & kColorMask;
    system.playingBackground = colors.windowText & kColorMask;
}

void Settings::defaultsColumns() {
    sortColumn = 0;
    sortDescending = 0;
    showNumber = 0;
    showGrid = 0;
    viewInfoFrom = 0;
    for (int32_t id = 0; id < kColumnCount; ++id) {
        columnOrder[id] = id;
        columnVisible[id] = kDefaultColumnVisible[id];
        columnWidth[id] = kDefaultColumnWidth[id];
    }
}

void Settings::defaultsTools() {
    massTagFields = 0;
    massTagVersions = 3;
    tagFromNameVersion = 2;
    renameSource = 0;
    caseConversion = 0;
    charConversion = 0;
    organizeSource = 0;
    organizeLayout = 0;
    std::memset(formatHistory, 0, sizeof formatHistory);
    CopyString(formatHistory[0], "%N - %A - %T");
    CopyString(formatHistory[1], "%A - %T");
}

void Settings::defaultsOptions() {
    exportSelectedOnly = 0;
    htmlListing = 0;
    htmlHyperlink = 0;
    exportBothTags = 0;
    showNumber = 0;
    showGrid = 0;
    searchFields = 63;
    doubleClickAction = 0;
    loadOnStartup = 0;
    wizardLength = 0;
    windowPlacement = kDefaultPlacement;
    duplicateFields = 0;
    duplicateSeconds = 5;
    duplicatePercent = 95;
    CopyString(languageName, kDefaultLanguageName);
    explorerFields = 127;
    explorerShown = 0;
}

void Settings::sanitize() {
    Flag(exportSelectedOnly);
    Flag(htmlListing);
    Flag(htmlHyperlink);
    Flag(exportBothTags);
    Flag(showNumber);
    Flag(showGrid);
    Flag(loadOnStartup);
    Flag(sortDescending);
    Flag(explorerShown);

    searchFields &= 0x7Fu;
    massTagFields &= 0x7Fu;
    massTagVersions &= 0x3u;
    duplicateFields &= 0x1Fu;
    explorerFields &= 0x7Fu;
    // The explorer options never accept an empty set.
    if (explorerFields == 0) explorerFields = 127;

    Choice(doubleClickAction, 0, 2, 0);
    Choice(viewInfoFrom, 0, 3, 0);
    Choice(tagFromNameVersion, 0, 2, 2);
    Choice(renameSource, 0, 3, 0);
    Choice(wizardLength, 0, 6, 0);
    Choice(caseConversion, 0, 4, 0);
    Choice(charConversion, 0, 2, 0);
    Choice(organizeSource, 0, 1, 0);
    Choice(organizeLayout, 0, 3, 0);
    Choice(htmlTemplate, 0, kHtmlTemplateCount - 1, 0);
    Choice(themeIndex, 0, kThemeCount - 1, 0);
    Choice(iconPackage, 0, kIconPackageCount - 1, 0);
    Choice(ratingPackage, 0, kRatingPackageCount - 1, 0);
    Choice(duplicateSeconds, 0, 60, 5);
    Choice(duplicatePercent, 95, 100, 95);
    Choice(sortColumn, 0, kColumnCount - 1, 0);
    visibleColumnCount = std::max<int32_t>(0, std::min<int32_t>(visibleColumnCount, kColumnCount));

    int32_t order[kColumnCount];
    ColumnOrderFrom(columnOrder, order);
    std::memcpy(columnOrder, order, sizeof order);
    bool anyShown = false;
    for (int id = 0; id < kColumnCount; ++id) {
        Flag(columnVisible[id]);
        anyShown = anyShown || columnVisible[id] != 0;
        Choice(columnWidth[id], 0, kMaxColumnWidth, kDefaultColumnWidth[id]);
    }
    // The columns dialog never lets the last column go; a list without any
    // would show nothing to click on to get them back.
    if (!anyShown) std::memcpy(columnVisible, kDefaultColumnVisible, sizeof columnVisible);

    for (int t = 0; t < kHtmlTemplateCount; ++t) {
        HtmlTemplate& tpl = htmlTemplates[t];
        const HtmlTemplate& builtin = kBuiltinHtmlTemplates[t];
        SanitizeStyle(tpl.textPage, builtin.textPage);
        SanitizeStyle(tpl.titlePage, builtin.titlePage);
        SanitizeStyle(tpl.columnHeader, builtin.columnHeader);
        SanitizeStyle(tpl.columnText, builtin.columnText);
        tpl.hyperlinkColor &= kColorMask;
    }

    windowPlacement.length = sizeof(WindowPlacementRecord);
    if (!PlacementUsable(windowPlacement)) windowPlacement = kDefaultPlacement;

    languageName[kLanguageNameSize - 1] = '\0';
    for (auto& entry : formatHistory) entry[kFormatHistorySize - 1] = '\0';
    for (ColorTheme& theme : themes) {
        theme.name[kThemeNameSize - 1] = '\0';
        theme.text &= kColorMask;
        theme.background &= kColorMask;
        theme.alternateBackground &= kColorMask;
        theme.selectedText &= kColorMask;
        theme.selectedBackground &= kColorMask;
        theme.playingText &= kColorMask;
        theme.playingBackground &= kColorMask;
    }
}

std::array<int32_t, kColumnCount> Settings::getColumnOrder() const {
    std::array<int32_t, kColumnCount> order;
    ColumnOrderFrom(columnOrder, order.data());
    return order;
}

void Settings::setColumnOrder(const std::array<int32_t, kColumnCount>& order) {
    ColumnOrderFrom(order.data(), columnOrder);
}

std::array<int32_t, kColumnCount> Settings::getColumnVisible() const {
    std::array<int32_t, kColumnCount> visible;
    for (int id = 0; id < kColumnCount; ++id) visible[id] = columnVisible[id] != 0 ? 1 : 0;
    return visible;
}

std::array<int32_t, kColumnCount> Settings::getColumnWidth() const {
    std::array<int32_t, kColumnCount> width;
    for (int id = 0; id < kColumnCount; ++id) width[id] = columnWidthOf(id);
    return width;
}

void Settings::setColumnWidth(const std::array<int32_t, kColumnCount>& width) {
    for (int id = 0; id < kColumnCount; ++id) {
        columnWidth[id] = std::max<int32_t>(0, std::min<int32_t>(width[id], kMaxColumnWidth));
    }
}

void Settings::setSortKey(int columnId, bool descending) {
    sortColumn = columnId >= 0 && columnId < kColumnCount ? columnId : 0;
    sortDescending = descending ? 1 : 0;
}

int Settings::getSortKey() const {
    const int id = sortColumnId();
    return sortDescending ? -id : id;
}

int Settings::sortColumnId() const { return sortColumn >= 0 && sortColumn < kColumnCount ? sortColumn : 0; }

bool Settings::isColumnVisible(int columnId) const {
    return columnId >= 0 && columnId < kColumnCount && columnVisible[columnId] != 0;
}

int Settings::columnWidthOf(int columnId) const {
    if (columnId < 0 || columnId >= kColumnCount) return 0;
    const int32_t width = columnWidth[columnId];
    return width >= 0 && width <= kMaxColumnWidth ? width : kDefaultColumnWidth[columnId];
}

int Settings::viewSource() const { return viewInfoFrom >= 0 && viewInfoFrom <= 3 ? viewInfoFrom : 0; }

const ColorTheme& Settings::currentTheme() const {
    const int index = themeIndex >= 0 && themeIndex < kThemeCount ? themeIndex : 0;
    return themes[index];
}

const HtmlTemplate& Settings::currentHtmlTemplate() const {
    const int index = htmlTemplate >= 0 && htmlTemplate < kHtmlTemplateCount ? htmlTemplate : 0;
    return htmlTemplates[index];
}

int Settings::currentIconPackage() const {
    return iconPackage >= 0 && iconPackage < kIconPackageCount ? iconPackage : 0;
}

int Settings::currentRatingPackage() const {
    return ratingPackage >= 0 && ratingPackage < kRatingPackageCount ? ratingPackage : 0;
}

void Settings::setLanguage(const std::string& name) { CopyString(languageName, name.c_str()); }

std::string Settings::formatPattern(int index) const {
    if (index < 0 || index >= kFormatHistoryCount) return std::string();
    return ReadString(formatHistory[index]);
}

void Settings::setFormatPattern(int index, const std::string& pattern) {
    if (index < 0 || index >= kFormatHistoryCount) return;
    CopyString(formatHistory[index], pattern.c_str());
}

bool Settings::applyColumnSelection(const std::vector<int>& selected, Prompter& prompter) {
    int32_t order[kColumnCount];
    bool shown[kColumnCount] = {};
    int n = 0;
    for (int id : selected) {
        if (id >= 0 && id < kColumnCount && !shown[id]) {
            shown[id] = true;
            order[n++] = id;
        }
    }
    if (n == 0) {
        prompter.Message(LangTable::getString(kLangColumnPresent), LangTable::getString(kLangError),
                         PromptButtons::Ok, PromptIcon::Error);
        return false;
    }
    // The hidden columns follow in the order they had.
    for (int32_t id : getColumnOrder()) {
        if (!shown[id]) order[n++] = id;
    }
    std::memcpy(columnOrder, order, sizeof order);
    for (int id = 0; id < kColumnCount; ++id) columnVisible[id] = shown[id] ? 1 : 0;
    return true;
}

int Settings::confirmReset(unsigned categories, Prompter& prompter) {
    categories &= kResetAll;
    if (categories == 0) return 0;
    const PromptAnswer answer =
        prompter.Message(LangTable::getString(kLangResetConfirm), LangTable::getString(kLangQuestion),
                         PromptButtons::OkCancel, PromptIcon::Question);
    if (answer != PromptAnswer::Ok) return 0;
    reset(categories);
    return 1;
}

}  // namespace td
