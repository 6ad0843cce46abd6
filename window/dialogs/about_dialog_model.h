// The About box (template 102): product title and version, the translator's
// credit of the language in use, and the keyboard shortcuts.
#pragma once

#include <string>

#include "plugin/plugin_model.h"

namespace td {

class AboutDialogModel {
public:
    // `version` is the plug-in's version resource; texts are taken from the
    // language in use.
    explicit AboutDialogModel(const PluginVersion& version);

    std::string caption;    // "About Tunedeck for Winamp"
    std::string title;      // "Tunedeck for Winamp v0.1 build 0"
    std::string credit;     // the language's translator line
    std::string shortcuts;  // one line per shortcut, CR LF line ends

    // "Help >>" shows the shortcuts, "<< About" the credit again.
    bool showingHelp = false;
    void toggleHelp() { showingHelp = !showingHelp; }
    std::string toggleLabel() const;
};

}  // namespace td
