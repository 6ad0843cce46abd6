#include "window/win32/win32_prompter.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

#include "platform/directory.h"
#include "window/window_resource.h"

namespace td {

namespace {

// The open dialog's buffer for several files, and for one.
constexpr DWORD kManyFilesBuffer = 16384;
constexpr DWORD kOneFileBuffer = MAX_PATH;

// The folder browser's check box, placed over the browser's empty title.
constexpr int kCheckLeft = 12;
constexpr int kCheckTop = 8;
constexpr int kCheckWidth = 280;
constexpr int kCheckHeight = 20;

struct FolderBrowse {
    const FolderDialogRequest* request = nullptr;
    bool checked = true;
    WNDPROC browserProc = nullptr;
};

const char kFolderBrowseProp[] = "TunedeckFolderBrowse";

// The browser's own procedure, wrapped to follow the check box's clicks.
LRESULT CALLBACK FolderBrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = static_cast<FolderBrowse*>(GetPropA(hwnd, kFolderBrowseProp));
    if (!state) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_FOLDER_RECURSE && HIWORD(wParam) == BN_CLICKED) {
        state->checked = IsDlgButtonChecked(hwnd, IDC_FOLDER_RECURSE) == BST_CHECKED;
    }
    const WNDPROC next = state->browserProc;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        RemovePropA(hwnd, kFolderBrowseProp);
    }
    return CallWindowProcA(next, hwnd, message, wParam, lParam);
}

int CALLBACK FolderBrowseCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
    auto* state = reinterpret_cast<FolderBrowse*>(data);
    if (message != BFFM_INITIALIZED) return 0;
    if (!state->request->folder.empty()) {
        SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE,
                     reinterpret_cast<LPARAM>(state->request->folder.c_str()));
    }
    if (!state->request->checkLabel.empty()) {
        HWND box = CreateWindowExA(0, "Button", state->request->checkLabel.c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kCheckLeft,
                                   kCheckTop, kCheckWidth, kCheckHeight, hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FOLDER_RECURSE)),
                                   GetModuleHandleA(nullptr), nullptr);
        SendMessageA(box, WM_SETFONT, SendMessageA(hwnd, WM_GETFONT, 0, 0), TRUE);
        CheckDlgButton(hwnd, IDC_FOLDER_RECURSE, state->checked ? BST_CHECKED : BST_UNCHECKED);
        SetPropA(hwnd, kFolderBrowseProp, state);
        state->browserProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FolderBrowserProc)));
    }
    return 0;
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

}  // namespace

std::string CommonDialogFilter(const std::string& filter) {
    std::string out = filter;
    if (!out.empty()) {
        const char separator = out.back();
        for (char& c : out) {
            if (c == separator) c = '\0';
        }
    }
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

std::vector<std::string> SplitOpenDialogBuffer(const char* buffer, size_t size) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at < size && buffer[at] != '\0') {
        const size_t length = strnlen(buffer + at, size - at);
        names.emplace_back(buffer + at, length);
        at += length + 1;
    }
    if (names.size() <= 1) return names;
    const std::string folder = names.front();
    std::vector<std::string> paths;
    for (size_t i = 1; i < names.size(); ++i) paths.push_back(JoinPath(folder, names[i]));
    return paths;
}

PromptAnswer Win32Prompter::Message(const std::string& text, const std::string& caption,
                                    PromptButtons buttons, PromptIcon icon) {
    UINT flags = 0;
    switch (buttons) {
    case PromptButtons::Ok: flags |= MB_OK; break;
    case PromptButtons::OkCancel: flags |= MB_OKCANCEL; break;
    case PromptButtons::YesNo: flags |= MB_YESNO; break;
    case PromptButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
    case PromptButtons::YesNoDefaultNo: flags |= MB_YESNO | MB_DEFBUTTON2; break;
    }
    switch (icon) {
    case PromptIcon::None: break;
    case PromptIcon::Error: flags |= MB_ICONSTOP; break;
    case PromptIcon::Question: flags |= MB_ICONQUESTION; break;
    case PromptIcon::Warning: flags |= MB_ICONWARNING; break;
    case PromptIcon::Information: flags |= MB_ICONINFORMATION; break;
    }
    switch (MessageBoxA(owner_, text.c_str(), caption.c_str(), flags)) {
    case IDOK: return PromptAnswer::Ok;
    case IDYES: return PromptAnswer::Yes;
    case IDNO: return PromptAnswer::No;
    default: return PromptAnswer::Cancel;
    }
}

FileDialogResult Win32Prompter::ChooseFiles(const FileDialogRequest& request) {
    const bool many = request.kind == FileDialogKind::OpenMany;
    std::string buffer(many ? kManyFilesBuffer : kOneFileBuffer, '\0');
    request.fileName.copy(&buffer[0], buffer.size() - 1);
    const std::string filter = CommonDialogFilter(request.filter);
    const std::string folder = request.folder.empty() ? CurrentFolder() : request.folder;

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
    dialog.lpstrFile = &buffer[0];
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = request.title.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    if (request.kind == FileDialogKind::Save) {
        dialog.Flags |= OFN_OVERWRITEPROMPT;
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
    }
    if (many) dialog.Flags |= OFN_ALLOWMULTISELECT;

    FileDialogResult result;
    const BOOL chosen =
        request.kind == FileDialogKind::Save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) result.outcome = FileDialogOutcome::TooManyFiles;
        return result;
    }
    result.outcome = FileDialogOutcome::Chosen;
    result.filterIndex = static_cast<int>(dialog.nFilterIndex);
    result.paths = many ? SplitOpenDialogBuffer(buffer.data(), buffer.size())
                        : std::vector<std::string>{std::string(buffer.c_str())};
    return result;
}

FolderDialogResult Win32Prompter::ChooseFolder(const FolderDialogRequest& request) {
    FolderBrowse state;
    state.request = &request;
    state.checked = request.checked;
    char display[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = owner_;
    browse.pszDisplayName = display;
    // The title's place holds the check box.
    browse.lpszTitle = request.checkLabel.empty() ? request.title.c_str() : "";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = &FolderBrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(&state);

    FolderDialogResult result;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen) return result;
    char path[MAX_PATH] = {};
    const BOOL named = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!named || !path[0]) return result;
    result.chosen = true;
    result.path = path;
    // "C:\" keeps its separator: without it the name is a drive's current folder.
    if (result.path.size() > 3 && (result.path.back() == '\\' || result.path.back() == '/'))
        result.path.pop_back();
    result.checked = state.checked;
    return result;
}

bool Win32Prompter::PickColor(uint32_t& color) {
    // The sixteen custom colours last the process, as the chooser expects.
    static COLORREF custom[16] = {};
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_;
    dialog.rgbResult = color & 0x00FFFFFFu;
    dialog.lpCustColors = custom;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&dialog)) return false;
    color = dialog.rgbResult & 0x00FFFFFFu;
    return true;
}

}  // namespace td
