// The tag tools dialog, a tab per page, and its Edit tag page. The page shows its portable
// model (window/dialogs/edit_tag_page_model.h): it fills the controls from
// the model, hands every change of a control to the model, and shows again
// what the model holds after each command.
#include "window/win32/tools_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>

#include "plugin/host_bridge.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/song_record.h"
#include "window/dialogs/edit_tag_page_model.h"
#include "window/win32/gdi_handles.h"
#include "window/win32/model_dialog.h"
#include "window/win32/tool_page.h"
#include "window/window_resource.h"

namespace td {

namespace {

constexpr int kLangFile = 16;
constexpr int kLangUpdate = 15;
constexpr int kLangRating = 366;
constexpr int kTitleHeight = 28;  // pixels of the painted page title
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Field menu items: the two swap items, then the case items 1 to 4.
constexpr UINT kMenuSwapFirst = 1;
constexpr UINT kMenuCaseFirst = 3;
constexpr int kLangSwapTexts[3][2] = {{193, 194}, {195, 196}, {198, 197}};
constexpr int kLangCaseFirst = 186;  // "all lowercase" .. "First Letter Of Each Word Uppercase"

// LangTable numbers of the field labels, in field order.
constexpr int kFieldLabels[kEditFieldCount] = {88, 87, 89, 90, 93, 92,  91,  88,  87,
                                               89, 90, 93, 92, 91, 102, 105, 106, 107};

const char* Text(int id) { return LangTable::getString(id); }

void SetLabel(HWND dialog, int control, int text) {
    const ControlText label{control, text};
    relabelDialog(dialog, -1, &label, 1);
}

class ToolsDialog;

// The pages in tab order, with their titles; the Edit tag page (no maker)
// is built by the dialog itself.
struct TabPage {
    int tab;
    int title;
    std::unique_ptr<ToolsDialogPage> (*make)(const ToolPageContext&);
};
const TabPage kTabPages[] = {
    {kToolsTabEditTag, kEditTextPageTitle, nullptr}, {kToolsTabMassTag, 293, MakeMassTagPage},
    {kToolsTabRename, 294, MakeRenamePage},          {kToolsTabTagFromName, 295, MakeTagFromNamePage},
    {kToolsTabConvert, 296, MakeConvertPage},        {kToolsTabOrganize, 297, MakeOrganizePage},
};
constexpr int kTabPageCount = static_cast<int>(sizeof kTabPages / sizeof kTabPages[0]);

// The "Edit ID3Tag" page, a child dialog over the tab's display area.
class EditTagPage : public ToolsDialogPage {
public:
    EditTagPage(ToolsDialog& owner, const ToolsDialogRequest& request)
        : owner_(owner), request_(request), model_(*request.view) {}

    HWND create(HWND parent) override;
    HWND hwnd() const override { return hwnd_; }
    // Offers to write the file shown before the page goes away.
    void leave() override;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void init();
    void command(int id, int code);
    void showModel();
    void enableGroups();
    void readField(int field);
    void readGenreChoice(int field);
    void fieldMenu(int field);
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    HWND field(int f) const { return control(IDC_ET_FIELD_FIRST + f); }
    EditTagPageModel::RewriteNotice notice();

    ToolsDialog& owner_;
    ToolsDialogRequest request_;
    EditTagPageModel model_;
    HWND hwnd_ = nullptr;
    bool filling_ = false;
};

class ToolsDialog {
public:
    explicit ToolsDialog(const ToolsDialogRequest& request) : request_(request) {}

    void run() {
        DialogBoxParamA(request_.module, MAKEINTRESOURCEA(IDD_TOOLS), request_.owner, Proc,
                        reinterpret_cast<LPARAM>(this));
    }
    HWND hwnd() const { return hwnd_; }
    // The caption while a write rewrites the whole file, and back.
    void setRewriting(bool on) {
        const char* text = Text(on ? kEditTextRewriting : kEditTextCaption);
        if (*text) SetWindowTextA(hwnd_, text);
        if (on) UpdateWindow(hwnd_);
    }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FilterHook(int code, WPARAM wParam, LPARAM lParam);
    void init();
    void paint();
    void end(INT_PTR result);
    // Closes the page shown (it stores its options or offers to write) and
    // shows the one of tab `index`.
    void showPage(int index);
    bool busy() const { return page_ && page_->busy(); }

    ToolsDialogRequest request_;
    std::unique_ptr<ToolsDialogPage> page_;
    int shown_ = 0;  // index into kTabPages
    HWND hwnd_ = nullptr;
    Font titleFont_;
    Brush white_;
    Icon icon_;
    HACCEL keys_ = nullptr;  // a resource: freed with the module
    HHOOK hook_ = nullptr;
    HWND previousOwner_ = nullptr;
    // The dialog whose page takes the keys; one modal tools dialog at a time.
    static inline ToolsDialog* active_ = nullptr;
};

// --- the dialog --------------------------------------------------------------

INT_PTR CALLBACK ToolsDialog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<ToolsDialog*>(lParam)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<ToolsDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
    case WM_INITDIALOG: self->init(); return TRUE;
    case WM_ERASEBKGND: {
        RECT rc{};
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, self->white_.get());
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(self->white_.get());
    case WM_PAINT: self->paint(); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (!self->busy()) self->end(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_TOOLS_TAB) return FALSE;
        if (header->code == TCN_SELCHANGING) {
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, self->busy() ? TRUE : FALSE);
            return TRUE;
        }
        if (header->code == TCN_SELCHANGE) {
            self->showPage(static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        }
        return FALSE;
    }
    case WM_DESTROY:
        if (self->request_.system) self->request_.system->setOwner(self->previousOwner_);
        if (self->hook_) UnhookWindowsHookEx(self->hook_);
        self->hook_ = nullptr;
        if (active_ == self) active_ = nullptr;
        return FALSE;
    default: return FALSE;
    }
}

void ToolsDialog::init() {
    const ControlText texts[] = {{IDOK, kLangOk}, {IDCANCEL, kLangCancel}};
    relabelDialog(hwnd_, kEditTextCaption, texts);
    // The window's real message boxes come up over this dialog while it runs.
    if (request_.system) {
        previousOwner_ = request_.system->owner();
        request_.system->setOwner(hwnd_);
    }
    white_.reset(CreateSolidBrush(kWhite));
    titleFont_.reset(CreateFontA(kTitleHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, "Arial"));
    icon_.reset(static_cast<HICON>(
        LoadImageA(request_.module, MAKEINTRESOURCEA(IDI_WINDOW), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    // One tab per page that exists.
    HWND tab = GetDlgItem(hwnd_, IDC_TOOLS_TAB);
    int first = 0;
    for (int i = 0; i < kTabPageCount; ++i) {
        std::string title = Text(kTabPages[i].title);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = &title[0];
        SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (kTabPages[i].tab == request_.firstTab) first = i;
    }
    SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(first), 0);
    showPage(first);
    keys_ = LoadAcceleratorsA(request_.module, MAKEINTRESOURCEA(IDR_EDIT_TAG_ACCELERATORS));
    active_ = this;
    hook_ = SetWindowsHookExA(WH_MSGFILTER, FilterHook, nullptr, GetCurrentThreadId());
}

void ToolsDialog::showPage(int index) {
    if (index < 0 || index >= kTabPageCount) return;
    if (page_) {
        page_->leave();
        DestroyWindow(page_->hwnd());
        page_.reset();
    }
    shown_ = index;
    if (kTabPages[index].make) {
        ToolPageContext context;
        context.module = request_.module;
        context.view = request_.view;
        context.settings = request_.settings;
        context.prompter = request_.prompter;
        page_ = kTabPages[index].make(context);
    } else {
        page_ = std::make_unique<EditTagPage>(*this, request_);
    }
    HWND page = page_->create(hwnd_);
    HWND tab = GetDlgItem(hwnd_, IDC_TOOLS_TAB);
    RECT area{};
    GetWindowRect(tab, &area);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_SHOWWINDOW);
    // The header shows the page's title.
    RECT header{};
    GetClientRect(hwnd_, &header);
    header.bottom = area.top;
    InvalidateRect(hwnd_, &header, TRUE);
}

// The page's keys while the dialog's modal loop runs: a message-filter hook
// offers each message of the dialog to the page's accelerator table.
LRESULT CALLBACK ToolsDialog::FilterHook(int code, WPARAM wParam, LPARAM lParam) {
    ToolsDialog* self = active_;
    const bool editing = self && self->page_ && !kTabPages[self->shown_].make;
    if (code == MSGF_DIALOGBOX && editing && self->keys_ && self->page_->hwnd()) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        const bool ours = msg->hwnd == self->hwnd_ || IsChild(self->hwnd_, msg->hwnd);
        if (ours && TranslateAcceleratorA(self->page_->hwnd(), self->keys_, msg)) return 1;
    }
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void ToolsDialog::paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client{};
    GetClientRect(hwnd_, &client);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (face == kWhite) face = RGB(0, 0, 0);
    HGDIOBJ old = SelectObject(dc, titleFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, face);
    const char* title = Text(kTabPages[shown_].title);
    TextOutA(dc, 8, 4, title, static_cast<int>(std::string(title).size()));
    SelectObject(dc, old);
    if (icon_) DrawIconEx(dc, client.right - 40, 4, icon_.get(), 32, 32, 0, nullptr, DI_NORMAL);
    EndPaint(hwnd_, &ps);
}

void ToolsDialog::end(INT_PTR result) {
    if (page_) page_->leave();
    EndDialog(hwnd_, result);
}

// --- the Edit tag page ---------------------------------------------------------

HWND EditTagPage::create(HWND parent) {
    // A Unicode page, so that the fields hand over exactly what was typed and
    // the model can refuse what the code page cannot hold.
    hwnd_ = CreateDialogParamW(request_.module, MAKEINTRESOURCEW(IDD_EDIT_TAG_PAGE), parent, Proc,
                               reinterpret_cast<LPARAM>(this));
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_ID, IDD_EDIT_TAG_PAGE);
    return hwnd_;
}

void EditTagPage::leave() { model_.offerWrite(*request_.prompter, notice()); }

EditTagPageModel::RewriteNotice EditTagPage::notice() {
    return [this](bool on) { owner_.setRewriting(on); };
}

INT_PTR CALLBACK EditTagPage::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<EditTagPage*>(lParam)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<EditTagPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) {
        self->init();
        return FALSE;
    }
    if (message == WM_COMMAND) {
        self->command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void EditTagPage::init() {
    SetLabel(hwnd_, IDC_ET_FILE_LABEL, kLangFile);
    SetLabel(hwnd_, IDC_ET_UPDATE, kLangUpdate);
    SetLabel(hwnd_, IDC_ET_RATING_LABEL, kLangRating);
    for (int f = 0; f < kEditFieldCount; ++f) {
        SetLabel(hwnd_, IDC_ET_LABEL_FIRST + f, kFieldLabels[f]);
        const int limit = EditFieldLimit(f);
        if (limit > 0) SendMessageW(field(f), EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    }
    for (const std::string& name : EditGenreTexts()) {
        SendMessageA(field(kEditV1Genre), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(field(kEditV2Genre), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    for (int level = 0; level < kEditRatingLevels; ++level) {
        SendMessageA(control(IDC_ET_RATING), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(RatingLevelText(level).c_str()));
    }
    for (SongRecord* entry : model_.files()) {
        SendMessageA(control(IDC_ET_FILE), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(entry->GetFileName().c_str()));
    }
    showModel();
}

void EditTagPage::showModel() {
    filling_ = true;
    model_.setFilling(true);
    for (int f = 0; f < kEditFieldCount; ++f) {
        if (f == kEditV1Genre) {
            const int index = GenreIndex(model_.text(f).c_str());
            SendMessageA(field(f), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        } else {
            SetWindowTextA(field(f), model_.text(f).c_str());
        }
    }
    SendMessageA(control(IDC_ET_RATING), CB_SETCURSEL, static_cast<WPARAM>(model_.rating()), 0);
    CheckDlgButton(hwnd_, IDC_ET_V1, model_.v1Enabled() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, IDC_ET_V2, model_.v2Enabled() ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(control(IDC_ET_FILE), CB_SETCURSEL, static_cast<WPARAM>(model_.current()), 0);
    SetWindowTextA(control(IDC_ET_MPEG_FIRST), model_.mpegText(0).c_str());
    SetWindowTextA(control(IDC_ET_MPEG_SECOND), model_.mpegText(1).c_str());
    enableGroups();
    model_.setFilling(false);
    filling_ = false;
}

void EditTagPage::enableGroups() {
    for (int f = 0; f < kEditFieldCount; ++f) {
        const bool on = IsV2Field(f) ? model_.v2Enabled() : model_.v1Enabled();
        EnableWindow(field(f), on);
        if (HasFieldMenu(f)) EnableWindow(control(IDC_ET_MENU_FIRST + f), on);
    }
    EnableWindow(control(IDC_ET_RATING), model_.v2Enabled());
    EnableWindow(control(IDC_ET_COPY_V1_V2), model_.v1Enabled());
    EnableWindow(control(IDC_ET_COPY_V2_V1), model_.v2Enabled());
}

// A field's text as typed; text the model refuses is put back as it was.
void EditTagPage::readField(int f) {
    HWND box = field(f);
    const int length = GetWindowTextLengthW(box);
    std::wstring typed(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int got = GetWindowTextW(box, &typed[0], length + 1);
    typed.resize(static_cast<size_t>(got > 0 ? got : 0));
    const std::u16string text(typed.begin(), typed.end());
    if (model_.setTextUtf16(f, text)) return;
    filling_ = true;
    SetWindowTextA(box, model_.text(f).c_str());
    SendMessageW(box, EM_SETSEL, model_.text(f).size(), model_.text(f).size());
    filling_ = false;
    MessageBeep(MB_ICONWARNING);
}

// A genre chosen from the list: the chosen item's text (the edit part of the
// combo box is not yet updated when the choice is announced).
void EditTagPage::readGenreChoice(int f) {
    const LRESULT index = SendMessageA(field(f), CB_GETCURSEL, 0, 0);
    if (index < 0) return;
    char name[64] = {};
    if (SendMessageA(field(f), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >=
        static_cast<LRESULT>(sizeof name)) {
        return;
    }
    SendMessageA(field(f), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
    model_.setText(f, name);
}

void EditTagPage::fieldMenu(int f) {
    const int group = IsV2Field(f) ? kEditFirstV2Field : 0;
    const std::array<int, 2> partners = SwapPartners(f);
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const int row = f - group;  // Title 0, Artist 1, Album 2
    for (int i = 0; i < 2; ++i) {
        AppendMenuA(menu, MF_STRING, kMenuSwapFirst + static_cast<UINT>(i), Text(kLangSwapTexts[row][i]));
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    for (int i = 0; i < 4; ++i) {
        AppendMenuA(menu, MF_STRING, kMenuCaseFirst + static_cast<UINT>(i), Text(kLangCaseFirst + i));
    }
    RECT button{};
    GetWindowRect(control(IDC_ET_MENU_FIRST + f), &button);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                         button.left, button.bottom, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen >= kMenuSwapFirst && chosen < kMenuCaseFirst) {
        model_.swapFields(f, partners[chosen - kMenuSwapFirst]);
    } else if (chosen >= kMenuCaseFirst && chosen < kMenuCaseFirst + 4) {
        model_.applyCase(f, static_cast<int>(chosen - kMenuCaseFirst) + 1);
    } else {
        return;
    }
    showModel();
}

void EditTagPage::command(int id, int code) {
    Prompter& prompter = *request_.prompter;
    switch (id) {
    case IDC_ET_PREVIOUS:
        model_.move(-1, prompter, notice());
        showModel();
        return;
    case IDC_ET_NEXT:
        model_.move(1, prompter, notice());
        showModel();
        return;
    case IDC_ET_PLAY:
        if (model_.currentEntry()) request_.bridge->PlayOne(model_.currentEntry()->GetFileName());
        return;
    case IDC_ET_STOP: request_.bridge->Command(kHostStop); return;
    case IDC_ET_FILE:
        if (code == CBN_SELCHANGE) {
            const int index = static_cast<int>(SendMessageA(control(IDC_ET_FILE), CB_GETCURSEL, 0, 0));
            model_.select(index, prompter, notice());
            showModel();
        }
        return;
    case IDC_ET_UPDATE:
        model_.write(prompter, notice());
        showModel();
        return;
    case IDC_ET_COPY_V1_V2:
        model_.copyV1ToV2();
        showModel();
        return;
    case IDC_ET_COPY_V2_V1:
        model_.copyV2ToV1();
        showModel();
        return;
    case IDC_ET_V1:
    case IDC_ET_V2:
        if (code == BN_CLICKED && !filling_) {
            const bool on = IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
            if (id == IDC_ET_V1)
                model_.setV1Enabled(on);
            else
                model_.setV2Enabled(on);
            enableGroups();
        }
        return;
    case IDC_ET_RATING:
        if (code == CBN_SELCHANGE && !filling_) {
            model_.setRating(static_cast<int>(SendMessageA(control(IDC_ET_RATING), CB_GETCURSEL, 0, 0)));
        }
        return;
    default: break;
    }
    if (id >= IDC_ET_MENU_FIRST && id < IDC_ET_MENU_FIRST + kEditFieldCount) {
        if (code == BN_CLICKED && HasFieldMenu(id - IDC_ET_MENU_FIRST)) fieldMenu(id - IDC_ET_MENU_FIRST);
        return;
    }
    if (id < IDC_ET_FIELD_FIRST || id >= IDC_ET_FIELD_FIRST + kEditFieldCount || filling_) return;
    const int f = id - IDC_ET_FIELD_FIRST;
    if (f == kEditV1Genre || f == kEditV2Genre) {
        if (code == CBN_SELCHANGE)
            readGenreChoice(f);
        else if (code == CBN_EDITCHANGE)
            readField(f);
        return;
    }
    if (code == EN_CHANGE) readField(f);
}

}  // namespace

void RunToolsDialog(const ToolsDialogRequest& request) {
    if (!request.view || !request.prompter || !request.bridge || !request.settings) return;
    ToolsDialog dialog(request);
    dialog.run();
}

}  // namespace td
