// The playlist window's command table: every command the window carries
// out, each written once with its handler. The menu bar, the button and
// context menus, the accelerators and the window's own buttons all arrive
// as WM_COMMAND and go through this one table.
//
// Adding a command:
//   1. its number: an IDM_ define in window/window_resource.h (a shortcut
//      gets its own number and a row in menus.rc's accelerator table and in
//      window/menu_model.cpp; a menu entry a line in menus.rc and in the
//      menu model's layout);
//   2. its handler: a member `void cmdSomething(int id)` of
//      PlaylistWindow::Impl (playlist_window_impl.h), written in the file of
//      its area (file_commands.cpp, window_commands.cpp, ...);
//   3. one line below: COMMAND(id, handler), or COMMAND_RANGE(first, last,
//      handler) for a run of numbers the handler tells apart by `id`.
// A command that is not in the table is absent, not ignored in passing: its
// menu entries are greyed, and PlaylistWindow::command returns false for it.
//
// Adding a dialog: a template with named ids in dialogs.rc, a portable
// model in window/dialogs/ (values in on open, out on OK), and a run record
// over it shown by the one dialog procedure of model_dialog.h; every message
// box and every file, folder or colour chooser goes through `Impl::prompter`
// (platform/prompter.h), so tests answer them.
#pragma once

#include "window/window_resource.h"

// Playlist: the host's player and playlist.
#define TD_PLAYLIST_COMMANDS(COMMAND, COMMAND_RANGE)         \
    COMMAND(IDM_PLAY, cmdPlaySelection)                      \
    COMMAND(IDM_PLAY_KEY, cmdPlaySelection)                  \
    COMMAND(IDM_ENQUEUE, cmdEnqueueSelection)                \
    COMMAND(IDM_PLAY_ALL, cmdPlayAll)                        \
    COMMAND(IDM_ENQUEUE_ALL, cmdEnqueueAll)                  \
    COMMAND(IDM_CLEAR_HOST_PLAYLIST, cmdClearHostPlaylist)   \
    COMMAND(IDM_TOGGLE_HOST_PLAYLIST, cmdToggleHostPlaylist) \
    COMMAND(IDM_RELOAD, cmdReload)                           \
    COMMAND(IDM_RELOAD_KEY, cmdReload)

// File: playlist files in and out, adding files.
#define TD_FILE_COMMANDS(COMMAND, COMMAND_RANGE)    \
    COMMAND(IDM_NEW, cmdNew)                        \
    COMMAND(IDM_NEW_KEY, cmdNew)                    \
    COMMAND(IDM_OPEN, cmdOpen)                      \
    COMMAND(IDM_OPEN_KEY, cmdOpen)                  \
    COMMAND(IDM_SAVE, cmdSave)                      \
    COMMAND(IDM_SAVE_KEY, cmdSave)                  \
    COMMAND(IDM_SAVE_AS, cmdSaveAs)                 \
    COMMAND(IDM_INSERT, cmdInsert)                  \
    COMMAND(IDM_IMPORT, cmdImport)                  \
    COMMAND(IDM_EXPORT, cmdExport)                  \
    COMMAND(IDM_ADD_FILES, cmdAddFiles)             \
    COMMAND(IDM_ADD_FILES_KEY, cmdAddFiles)         \
    COMMAND(IDM_ADD_DIRECTORY, cmdAddDirectory)     \
    COMMAND(IDM_ADD_DIRECTORY_KEY, cmdAddDirectory) \
    COMMAND(IDM_QUIT, cmdQuit)                      \
    COMMAND(IDM_QUIT_KEY, cmdQuit)

// Select: the list's selection.
#define TD_SELECT_COMMANDS(COMMAND, COMMAND_RANGE)                                  \
    COMMAND(IDM_SELECT_ALL, cmdSelect)                                              \
    COMMAND(IDM_SELECT_ALL_KEY, cmdSelect)                                          \
    COMMAND(IDM_SELECT_NONE, cmdSelect)                                             \
    COMMAND(IDM_SELECT_TOGGLE, cmdSelect)                                           \
    COMMAND(IDM_SELECT_TOGGLE_KEY, cmdSelect)                                       \
    COMMAND_RANGE(IDM_SELECT_SAME_ARTIST, IDM_SELECT_SAME_FILE_NAME, cmdSelectSame) \
    COMMAND(IDM_SELECT_DEAD, cmdSelectDead)                                         \
    COMMAND(IDM_CROP, cmdCrop)                                                      \
    COMMAND(IDM_CROP_KEY, cmdCrop)                                                  \
    COMMAND(IDM_REMOVE, cmdRemove)                                                  \
    COMMAND(IDM_REMOVE_KEY, cmdRemove)                                              \
    COMMAND(IDM_DELETE_FILES, cmdDeleteFiles)                                       \
    COMMAND_RANGE(IDM_RATING_0, IDM_RATING_5, cmdRating)                            \
    COMMAND(IDM_COPY_TO, cmdCopyMove)                                               \
    COMMAND(IDM_MOVE_TO, cmdCopyMove)

// Search: the fields the search box looks in.
#define TD_SEARCH_COMMANDS(COMMAND, COMMAND_RANGE)                               \
    COMMAND_RANGE(IDM_SEARCH_ARTIST, IDM_SEARCH_MATCH_CASE, cmdSearchField)      \
    COMMAND_RANGE(IDM_SEARCH_ARTIST_KEY, IDM_SEARCH_YEAR_KEY, cmdSearchFieldKey) \
    COMMAND(IDM_SEARCH_ALL, cmdSearchAllNone)                                    \
    COMMAND(IDM_SEARCH_NONE, cmdSearchAllNone)                                   \
    COMMAND(IDM_SEARCH_FOCUS_KEY, cmdSearchFocus)

// Option: how the window shows the list.
#define TD_OPTION_COMMANDS(COMMAND, COMMAND_RANGE)                      \
    COMMAND_RANGE(IDM_VIEW_ID3V1, IDM_VIEW_ID3V1_V2_KEY, cmdViewSource) \
    COMMAND(IDM_EXPLORER, cmdExplorer)                                  \
    COMMAND(IDM_EXPLORER_KEY, cmdExplorer)                              \
    COMMAND(IDM_EXPLORER_REFRESH, cmdExplorerRefresh)                   \
    COMMAND(IDM_EXPLORER_OPTIONS, cmdExplorerOptions)                   \
    COMMAND(IDM_CONFIGURE, cmdConfigure)                                \
    COMMAND(IDM_CONFIGURE_KEY, cmdConfigure)                            \
    COMMAND_RANGE(IDM_LANGUAGE_FIRST, IDM_LANGUAGE_LAST, cmdLanguage)

// Dialogs of options and wizards.
#define TD_DIALOG_COMMANDS(COMMAND, COMMAND_RANGE) \
    COMMAND(IDM_OPTIONS, cmdOptions)               \
    COMMAND(IDM_OPTIONS_KEY, cmdOptions)           \
    COMMAND(IDM_RESET, cmdReset)                   \
    COMMAND(IDM_MEDIA_WIZARD, cmdMediaWizard)      \
    COMMAND(IDM_MEDIA_WIZARD_KEY, cmdMediaWizard)  \
    COMMAND(IDM_COLUMNS, cmdColumns)               \
    COMMAND(IDM_COLUMNS_KEY, cmdColumns)           \
    COMMAND(IDM_PLAYLIST_INFO, cmdInformation)     \
    COMMAND(IDM_PLAYLIST_INFO_KEY, cmdInformation) \
    COMMAND(IDM_VOLUME_INFO, cmdVolumeInfo)        \
    COMMAND(IDM_VOLUME_INFO_KEY, cmdVolumeInfo)    \
    COMMAND(IDM_PROPERTIES, cmdInformation)        \
    COMMAND(IDM_PROPERTIES_KEY, cmdInformation)    \
    COMMAND(IDM_ABOUT, cmdAbout)                   \
    COMMAND(IDM_ABOUT_KEY, cmdAbout)               \
    COMMAND(IDM_THEME_COLORS, cmdThemeColors)      \
    COMMAND(IDM_THEME_COLORS_KEY, cmdThemeColors)  \
    COMMAND(IDM_HTML_CLASSES, cmdHtmlClasses)      \
    COMMAND(IDM_HTML_CLASSES_KEY, cmdHtmlClasses)  \
    COMMAND(IDM_FIND_DUPLICATES, cmdFindDuplicates)

// The tag tools dialog, each command showing its page first, and the
// rating store.
#define TD_TOOL_COMMANDS(COMMAND, COMMAND_RANGE) \
    COMMAND(IDM_EDIT_TAG, cmdTools)              \
    COMMAND(IDM_MASS_TAG, cmdTools)              \
    COMMAND(IDM_RENAME_FROM_TAG, cmdTools)       \
    COMMAND(IDM_TAG_FROM_NAME, cmdTools)         \
    COMMAND(IDM_CONVERT_TAGS, cmdTools)          \
    COMMAND(IDM_ORGANIZE, cmdTools)              \
    COMMAND(IDM_EDIT_TAG_KEY, cmdTools)          \
    COMMAND(IDM_EDIT_TAG_CONTEXT, cmdTools)      \
    COMMAND(IDM_STORE_RATING, cmdStoreRating)

// The window's own buttons: the player's, and the three that open a menu.
#define TD_BUTTON_COMMANDS(COMMAND, COMMAND_RANGE)   \
    COMMAND(IDC_PREVIOUS, cmdHostButton)             \
    COMMAND(IDC_PLAY, cmdHostButton)                 \
    COMMAND(IDC_PAUSE, cmdHostButton)                \
    COMMAND(IDC_STOP, cmdHostButton)                 \
    COMMAND(IDC_NEXT, cmdHostButton)                 \
    COMMAND(IDC_SEARCH_FIELDS_BUTTON, cmdButtonMenu) \
    COMMAND(IDC_FILE_BUTTON, cmdButtonMenu)          \
    COMMAND(IDC_ADD_BUTTON, cmdButtonMenu)

#define TD_WINDOW_COMMANDS(COMMAND, COMMAND_RANGE) \
    TD_PLAYLIST_COMMANDS(COMMAND, COMMAND_RANGE)   \
    TD_FILE_COMMANDS(COMMAND, COMMAND_RANGE)       \
    TD_SELECT_COMMANDS(COMMAND, COMMAND_RANGE)     \
    TD_SEARCH_COMMANDS(COMMAND, COMMAND_RANGE)     \
    TD_OPTION_COMMANDS(COMMAND, COMMAND_RANGE)     \
    TD_DIALOG_COMMANDS(COMMAND, COMMAND_RANGE)     \
    TD_TOOL_COMMANDS(COMMAND, COMMAND_RANGE)       \
    TD_BUTTON_COMMANDS(COMMAND, COMMAND_RANGE)
