// The system's ANSI code page through the Win32 conversion functions.
#include "platform/text_codec.h"

#include <windows.h>

namespace td::text {

bool Utf16ToAnsi(std::u16string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    if (in.size() > 0x7FFFFFFF / 4) return false;
    const auto* wide = reinterpret_cast<const wchar_t*>(in.data());
    const int length = static_cast<int>(in.size());
    if (GetACP() == CP_UTF8) {
        // The "use UTF-8 worldwide" setting: every character has a form, and
        // the best-fit and default-character arguments are not allowed.
        out = Utf16ToUtf8(in);
        return AnsiToUtf16(out) == in;  // false only for unpaired surrogates
    }
    // WC_NO_BEST_FIT_CHARS keeps "similar looking" substitutions (e.g. a
    // Greek alpha written as 'a') out of tags: they would be silent changes.
    BOOL used_default = FALSE;
    const int needed =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, "?", &used_default);
    if (needed <= 0) {
        out.assign(in.size(), '?');
        return false;
    }
    out.resize(static_cast<size_t>(needed));
    used_default = FALSE;
    const int written =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, &out[0], needed, "?", &used_default);
    if (written <= 0) {
        out.assign(in.size(), '?');
        return false;
    }
    out.resize(static_cast<size_t>(written));
    return used_default == FALSE;
}

std::u16string AnsiToUtf16(std::string_view in) {
    std::u16string out;
    if (in.empty() || in.size() > 0x7FFFFFFF) return out;
    const int length = static_cast<int>(in.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, in.data(), length, nullptr, 0);
    if (needed <= 0) return out;
    out.resize(static_cast<size_t>(needed));
    const int written =
        MultiByteToWideChar(CP_ACP, 0, in.data(), length, reinterpret_cast<wchar_t*>(&out[0]), needed);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

std::string PathToUtf8(const std::string& path) { return AnsiToUtf8(path); }

}  // namespace td::text
