// The plug-in's three operations behind its record: init builds the
// description, reads plugin.ini and, when the plug-in is enabled, creates the
// application object; config runs the configuration dialog; quit writes
// plugin.ini and destroys the application object.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "plugin/plugin_model.h"
#include "plugin/win32/plugin_record.h"

namespace td {

class PluginApp;

// The file version of a module's version resource; all 0 without one.
PluginVersion ReadModuleVersion(const std::string& modulePath);

class PluginShell {
public:
    // `record` is the record handed to the host; its handles are read when
    // init runs.
    explicit PluginShell(PluginRecord& record);
    // An application object still alive here was never quit by the host; it
    // is left alone, since windows must not be torn down while the module is
    // being unloaded.
    ~PluginShell();
    PluginShell(const PluginShell&) = delete;
    PluginShell& operator=(const PluginShell&) = delete;

    int init();
    void config();
    void quit();

    PluginSwitches& switches() { return switches_; }
    PluginApp* app() const { return app_.get(); }
    HINSTANCE module() const;
    // <module directory>\plugin.ini ("" when the module's path is unknown).
    std::string iniPath() const;

private:
    void readIni();
    void writeIni() const;

    PluginRecord& record_;
    PluginSwitches switches_;
    std::unique_ptr<PluginApp> app_;  // created by init, destroyed by quit
    // The description the record points at once init has run: the product,
    // three numbers and a file name of at most 260 characters.
    char description_[400] = {};
};

}  // namespace td
