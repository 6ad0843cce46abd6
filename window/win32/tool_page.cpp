// The frame of the tools dialog's batch pages. See tool_page.h.
#include "window/win32/tool_page.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/lang_table.h"
#include "platform/text_codec.h"
#include "settings/settings.h"
#include "tools/text_convert.h"
#include "window/win32/model_dialog.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr int kLangGo = 17;
constexpr int kLangTrace = 308;
constexpr int kLangOnlySelected = 309;
constexpr int kLangOption = 312;
constexpr int kLangSelectAll = 206;  // then "Select none", "Select toggle"
constexpr int kFormatLabelTokens = 7;

// A menu text carries its shortcut after a "|": a tab when shown.
std::string MenuText(int id) {
    std::string text = LangTable::getString(id);
    const size_t bar = text.find('|');
    if (bar != std::string::npos) text[bar] = '\t';
    return text;
}

std::string WindowString(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int got = GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace

bool ReadAnsiText(HWND control, std::string& text) {
    const int length = GetWindowTextLengthW(control);
    std::wstring typed(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int got = GetWindowTextW(control, &typed[0], length + 1);
    typed.resize(static_cast<size_t>(got > 0 ? got : 0));
    std::string ansi;
    if (!text::Utf16ToAnsi(std::u16string(typed.begin(), typed.end()), ansi)) return false;
    text = ansi;
    return true;
}

namespace {

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

ToolPage::ToolPage(const ToolPageContext& context, int templateId, bool fullPaths)
    : context_(context), templateId_(templateId), model_(*context.view, *context.settings, fullPaths) {}

ToolPage::~ToolPage() {
    if (tips_) DestroyWindow(tips_);
}

HWND ToolPage::create(HWND parent) {
    // A Unicode page, so that a field hands over exactly what was typed and
    // text the code page cannot hold is refused rather than written as "?".
    hwnd_ = CreateDialogParamW(context_.module, MAKEINTRESOURCEW(templateId_), parent, Proc,
                               reinterpret_cast<LPARAM>(this));
    if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_ID, templateId_);
    return hwnd_;
}

void ToolPage::leave() {
    if (!hwnd_) return;
    if (control(IDC_TP_FORMAT)) saveFormatHistory(true);
    storeOptions();
}

INT_PTR CALLBACK ToolPage::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<ToolPage*>(lParam)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<ToolPage*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        self->initFrame();
        self->init();
        return FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (self->frameCommand(id, code)) return TRUE;
        return self->command(id, code) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != self->tips_) return FALSE;
        if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) {
            self->dynamicTooltip(lParam, header->code == TTN_GETDISPINFOW);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != self->control(IDC_TP_FILES)) return FALSE;
        self->listMenu(lParam);
        return TRUE;
    case WM_VKEYTOITEM:
        // Ctrl+A and Ctrl+T in the list, as its menu shows them.
        if (reinterpret_cast<HWND>(lParam) == self->control(IDC_TP_FILES) &&
            (GetKeyState(VK_CONTROL) & 0x8000)) {
            const WORD key = LOWORD(wParam);
            if (key == 'A' || key == 'T') {
                self->model_.pick(key == 'A' ? ToolPageModel::Pick::All : ToolPageModel::Pick::Toggle);
                self->showFiles();
                return -2;
            }
        }
        return -1;
    default: return FALSE;
    }
}

void ToolPage::initFrame() {
    const ControlText texts[] = {{IDC_TP_ONLY_SELECTED, kLangOnlySelected},
                                 {IDC_TP_TRACE, kLangTrace},
                                 {IDC_TP_GO, kLangGo},
                                 {IDC_TP_ABORT, kToolTextAbort},
                                 {IDC_TP_CONVERSIONS, kLangOption}};
    relabelDialog(hwnd_, -1, texts);
    tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, context_.module,
                            nullptr);
    SendDlgItemMessageA(hwnd_, IDC_TP_LOG_PATH, EM_LIMITTEXT, kLogPathMax, 0);
    setChecked(hwnd_, IDC_TP_ONLY_SELECTED, model_.onlySelected);
    setChecked(hwnd_, IDC_TP_TRACE, model_.traceLog);
    SetDlgItemTextA(hwnd_, IDC_TP_LOG_PATH, model_.logPath.c_str());
    setTooltip(IDC_TP_LOG_BROWSE, LangTable::getString(kToolTextChooseLog));
    showLogPath();
    enableLogControls();
    if (control(IDC_TP_FORMAT)) {
        history_.loadFormatHistory(settings());
        SendDlgItemMessageA(hwnd_, IDC_TP_FORMAT, CB_LIMITTEXT, kFormatPatternMax, 0);
        showFormatHistory();
        for (int i = 0; i < kFormatLabelTokens; ++i) {
            SetDlgItemTextA(hwnd_, IDC_TP_TOKEN_FIRST + i, FormatTokenLabel(kFormatTokenLetters[i]).c_str());
        }
    }
    model_.fill();
    showFiles();
}

bool ToolPage::frameCommand(int id, int code) {
    if (filling_) return id >= IDC_TP_FILES && id <= IDC_TP_TOKEN_FIRST + kFormatLabelTokens;
    switch (id) {
    case IDC_TP_FILES:
        if (code == LBN_SELCHANGE) readSelection();
        return true;
    case IDC_TP_ONLY_SELECTED: model_.onlySelected = isChecked(hwnd_, id); return true;
    case IDC_TP_TRACE:
        model_.traceLog = isChecked(hwnd_, id);
        enableLogControls();
        return true;
    case IDC_TP_LOG_PATH:
        if (code == EN_CHANGE) showLogPath();
        return true;
    case IDC_TP_LOG_BROWSE:
        if (code == BN_CLICKED && model_.chooseLogFile(prompter())) {
            SetDlgItemTextA(hwnd_, IDC_TP_LOG_PATH, model_.logPath.c_str());
        }
        return true;
    case IDC_TP_GO:
        if (code == BN_CLICKED && !running_ && runAllowed_) {
            model_.onlySelected = isChecked(hwnd_, IDC_TP_ONLY_SELECTED);
            model_.traceLog = isChecked(hwnd_, IDC_TP_TRACE);
            run();
        }
        return true;
    case IDC_TP_ABORT:
        if (code == BN_CLICKED) stop_ = true;
        return true;
    case IDC_TP_CONVERSIONS:
        if (code == BN_CLICKED) conversionMenu();
        return true;
    case IDC_TP_FORMAT:
        if (code == CBN_SELCHANGE) {
            history_.select(static_cast<int>(SendDlgItemMessageA(hwnd_, id, CB_GETCURSEL, 0, 0)));
        }
        return true;
    default: break;
    }
    if (id >= IDC_TP_TOKEN_FIRST && id < IDC_TP_TOKEN_FIRST + kFormatLabelTokens) {
        if (code == STN_CLICKED) insertToken(id - IDC_TP_TOKEN_FIRST);
        return true;
    }
    return false;
}

void ToolPage::showFiles() {
    HWND list = control(IDC_TP_FILES);
    if (!list) return;
    filling_ = true;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const ToolFileList& files = model_.files();
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(files.count()), 0);
    // The widest text sets how far the list scrolls sideways (full paths).
    HDC dc = GetDC(list);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (int i = 0; i < files.count(); ++i) {
        const ToolFile& file = files.items[static_cast<size_t>(i)];
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.listText.c_str()));
        if (files.selected[static_cast<size_t>(i)]) SendMessageA(list, LB_SETSEL, TRUE, i);
        SIZE size{};
        GetTextExtentPoint32A(dc, file.listText.c_str(), static_cast<int>(file.listText.size()), &size);
        if (size.cx > widest) widest = size.cx;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    filling_ = false;
}

void ToolPage::readSelection() {
    HWND list = control(IDC_TP_FILES);
    std::vector<bool> selected(static_cast<size_t>(model_.files().count()), false);
    const int count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    if (count > 0) {
        std::vector<int> indexes(static_cast<size_t>(count));
        SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(indexes.data()));
        for (int index : indexes) {
            if (index >= 0 && static_cast<size_t>(index) < selected.size())
                selected[static_cast<size_t>(index)] = true;
        }
    }
    model_.setSelected(selected);
}

void ToolPage::listMenu(LPARAM position) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (UINT i = 0; i < 3; ++i) {
        AppendMenuA(menu, MF_STRING, i + 1, MenuText(kLangSelectAll + static_cast<int>(i)).c_str());
    }
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == static_cast<LPARAM>(-1)) GetCursorPos(&at);
    const int chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    if (chosen < 1 || chosen > 3) return;
    const ToolPageModel::Pick picks[] = {ToolPageModel::Pick::All, ToolPageModel::Pick::None,
                                         ToolPageModel::Pick::Toggle};
    model_.pick(picks[chosen - 1]);
    showFiles();
}

void ToolPage::conversionMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (int item = 0; item < ToolPageModel::kConversionItems; ++item) {
        if (item == kCaseConversionCount) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        const int text =
            item < kCaseConversionCount ? kCaseMenuText + item : kCharMenuText + item - kCaseConversionCount;
        const UINT id = static_cast<UINT>(item + 1);
        AppendMenuA(menu, MF_STRING, id, LangTable::getString(text));
        if (model_.conversionChecked(item)) CheckMenuRadioItem(menu, id, id, id, MF_BYCOMMAND);
    }
    RECT button{};
    GetWindowRect(control(IDC_TP_CONVERSIONS), &button);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, button.left,
                                      button.bottom, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    if (chosen > 0) model_.chooseConversion(chosen - 1);
}

void ToolPage::insertToken(int index) {
    HWND combo = control(IDC_TP_FORMAT);
    if (!combo) return;
    DWORD start = 0;
    DWORD stop = 0;
    SendMessageA(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&stop));
    std::string text = WindowString(combo);
    if (start > text.size()) start = static_cast<DWORD>(text.size());
    if (stop < start || stop > text.size()) stop = start;
    const std::string token = std::string("%") + kFormatTokenLetters[index];
    text.replace(start, stop - start, token);
    if (text.size() > kFormatPatternMax) return;
    SetWindowTextA(combo, text.c_str());
    history_.setText(text);
    SetFocus(combo);
    const DWORD caret = start + static_cast<DWORD>(token.size());
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
}

void ToolPage::showLogPath() {
    model_.logPath = WindowString(control(IDC_TP_LOG_PATH));
    setTooltip(IDC_TP_LOG_PATH, model_.logPath);
}

void ToolPage::enableLogControls() {
    const bool on = isChecked(hwnd_, IDC_TP_TRACE);
    enableControl(hwnd_, IDC_TP_LOG_PATH, on);
    enableControl(hwnd_, IDC_TP_LOG_BROWSE, on);
}

void ToolPage::showFormatHistory() {
    HWND combo = control(IDC_TP_FORMAT);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : history_.entries()) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(history_.selected()), 0);
    if (history_.selected() < 0) SetWindowTextA(combo, history_.text().c_str());
}

std::string ToolPage::formatText() const { return WindowString(GetDlgItem(hwnd_, IDC_TP_FORMAT)); }

void ToolPage::saveFormatHistory(bool validate) {
    // What the field shows is what counts, however it got there.
    const std::string shown = formatText();
    if (shown != history_.text()) history_.setText(shown);
    history_.saveFormatHistory(settings(), validate);
    showFormatHistory();
}

void ToolPage::enableRun(bool on) {
    runAllowed_ = on;
    enableControl(hwnd_, IDC_TP_GO, on && !running_);
}

void ToolPage::setTooltip(int id, const std::string& text) {
    if (!tips_ || !control(id)) return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control(id));
    SendMessageA(tips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    std::string copy = text;
    tool.lpszText = &copy[0];
    SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolPage::setDynamicTooltip(int id) {
    if (!tips_ || !control(id)) return;
    // Over the control and over the edit field inside a combo box.
    for (HWND window : {control(id), GetWindow(control(id), GW_CHILD)}) {
        if (!window) continue;
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Several lines.
    SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, 600);
}

void ToolPage::dynamicTooltip(LPARAM lParam, bool wide) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    HWND window = reinterpret_cast<HWND>(header->idFrom);
    if (window && GetParent(window) != hwnd_) window = GetParent(window);
    tipText_ = tooltipText(window ? GetDlgCtrlID(window) : 0);
    if (!wide) {
        reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = &tipText_[0];
        return;
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, tipText_.c_str(), -1, nullptr, 0);
    tipTextW_.assign(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, tipText_.c_str(), -1, &tipTextW_[0], length);
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = &tipTextW_[0];
}

void ToolPage::setTooltipDelay(int ms) {
    if (tips_) SendMessageA(tips_, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(ms, 0));
}

ToolRunResult ToolPage::runFiles(ToolKind kind, const std::function<std::string(int)>& logHeader,
                                 const ToolFileWork& work, const std::function<std::string(int)>& summary,
                                 bool moveLines) {
    model_.logPath = WindowString(control(IDC_TP_LOG_PATH));
    stop_ = false;
    const ToolRunResult result = model_.run(prompter(), this, kind, logHeader, work, summary, moveLines);
    if (running_) end();
    // Names and selection as they are now.
    model_.fill();
    showFiles();
    return result;
}

void ToolPage::begin(int total) {
    running_ = true;
    stop_ = false;
    enableControl(hwnd_, IDC_TP_GO, false);
    HWND bar = control(IDC_TP_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE32, 0, total);
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SetDlgItemTextA(hwnd_, IDC_TP_STATUS, "");
    ShowWindow(bar, SW_SHOW);
    ShowWindow(control(IDC_TP_STATUS), SW_SHOW);
    ShowWindow(control(IDC_TP_ABORT), SW_SHOW);
    enableControl(hwnd_, IDC_TP_ABORT, true);
    cursor_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    UpdateWindow(hwnd_);
}

void ToolPage::advance(int, int, const std::string& status) {
    SendDlgItemMessageA(hwnd_, IDC_TP_PROGRESS, PBM_STEPIT, 0, 0);
    SetDlgItemTextA(hwnd_, IDC_TP_STATUS, status.c_str());
    pump();
}

// Between two files: the dialog paints and the Abort button takes its
// click; any other input waits (it is dropped), so nothing else starts,
// closes or changes while the run holds the page.
void ToolPage::pump() {
    HWND abort = control(IDC_TP_ABORT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            stop_ = true;
            return;
        }
        if (IsInput(msg.message) && msg.hwnd != abort) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!stop_) SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void ToolPage::end() {
    ShowWindow(control(IDC_TP_PROGRESS), SW_HIDE);
    ShowWindow(control(IDC_TP_STATUS), SW_HIDE);
    ShowWindow(control(IDC_TP_ABORT), SW_HIDE);
    running_ = false;
    enableControl(hwnd_, IDC_TP_GO, runAllowed_);
    SetCursor(cursor_ ? cursor_ : LoadCursor(nullptr, IDC_ARROW));
}

}  // namespace td
