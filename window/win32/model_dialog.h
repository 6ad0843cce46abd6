// The one dialog procedure every dialog of the playlist window runs through,
// and the small helpers the dialogs share.
//
// A dialog is a "run" record: its portable model (window/dialogs/), the
// Settings and the Prompter, and four members:
//   static constexpr INT_PTR kCancelResult;       what Cancel and Escape return
//   void show(HWND dialog);                       model -> controls (on open)
//   bool accept(HWND dialog, INT_PTR& result);    controls -> model -> Settings
//                                                 (OK); false keeps it open
//   bool command(HWND dialog, int id, int code);  its other controls
// and, when it draws or listens to more than commands, an optional
//   INT_PTR message(HWND dialog, UINT message, WPARAM, LPARAM);
// Cancel ends the dialog at once: the model is dropped, nothing was stored.
// While a dialog is open, the window's real message boxes and choosers are
// owned by it, so they come up above it and it stays disabled under them.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

#include "settings/lang_table.h"
#include "window/win32/win32_prompter.h"

namespace td {

struct ControlText {
    int control;
    int text;  // language-table number; an empty text keeps the template's
};

// The caption and the controls' texts from the language table.
inline void relabelDialog(HWND dialog, int caption, const ControlText* texts, size_t count) {
    if (*LangTable::getString(caption)) SetWindowTextA(dialog, LangTable::getString(caption));
    for (size_t i = 0; i < count; ++i) {
        const char* text = LangTable::getString(texts[i].text);
        if (*text) SetDlgItemTextA(dialog, texts[i].control, text);
    }
}

template <size_t N>
void relabelDialog(HWND dialog, int caption, const ControlText (&texts)[N]) {
    relabelDialog(dialog, caption, texts, N);
}

inline bool isChecked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

inline void setChecked(HWND dialog, int control, bool on) {
    CheckDlgButton(dialog, control, on ? BST_CHECKED : BST_UNCHECKED);
}

inline void enableControl(HWND dialog, int control, bool on) {
    EnableWindow(GetDlgItem(dialog, control), on);
}

// The index of the checked button among the `count` radio buttons `controls`.
inline int checkedRadio(HWND dialog, const int* controls, int count) {
    for (int i = 0; i < count; ++i) {
        if (isChecked(dialog, controls[i])) return i;
    }
    return 0;
}

// The selected item of a drop-down list, or -1.
inline int comboSelection(HWND dialog, int control) {
    return static_cast<int>(SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0));
}

inline void fillCombo(HWND dialog, int control, const std::string* items, int count, int selected) {
    SendDlgItemMessageA(dialog, control, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        SendDlgItemMessageA(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
    }
    SendDlgItemMessageA(dialog, control, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

constexpr int kLangOk = 12;
constexpr int kLangCancel = 13;

template <typename Run, typename = void>
struct HasMessageHandler : std::false_type {};
template <typename Run>
struct HasMessageHandler<Run, std::void_t<decltype(&Run::message)>> : std::true_type {};

template <typename Run>
struct DialogSession {
    Run& run;
    Win32Prompter& system;
    HWND previousOwner = nullptr;
};

template <typename Run>
INT_PTR CALLBACK ModelDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* session = reinterpret_cast<DialogSession<Run>*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!session) return FALSE;
    Run& run = session->run;
    if (message == WM_INITDIALOG) {
        session->previousOwner = session->system.owner();
        session->system.setOwner(dialog);
        run.show(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY) session->system.setOwner(session->previousOwner);
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            INT_PTR result = IDOK;
            if (run.accept(dialog, result)) EndDialog(dialog, result);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, Run::kCancelResult);
            return TRUE;
        }
        if (run.command(dialog, id, HIWORD(wParam))) return TRUE;
    }
    if constexpr (HasMessageHandler<Run>::value) {
        return run.message(dialog, message, wParam, lParam);
    }
    return FALSE;
}

// Runs template `templateId` modally over `run`, owned by `owner`; returns
// what `accept` chose, or Run::kCancelResult.
template <typename Run>
INT_PTR runModelDialog(HINSTANCE module, int templateId, HWND owner, Win32Prompter& system, Run& run) {
    DialogSession<Run> session{run, system};
    return DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, ModelDialogProc<Run>,
                           reinterpret_cast<LPARAM>(&session));
}

}  // namespace td
