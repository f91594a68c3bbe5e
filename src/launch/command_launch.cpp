#include "launch/command_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "launch/command_split.h"
#include "settings/form_settings.h"

namespace spacegauge {

void LaunchCommand() {
    if (!FormSettings) return;
    const std::string& command = FormSettings->record.Command;
    // An empty command would make the shell open the current folder: not what a click on a
    // gauge with no command configured should do.
    if (TrimControl(command).empty()) return;
    const ShellCommand shell = SplitCommand(command);
    // No path the ANSI shell call can open is this long, and a shell may overrun its buffers
    // on such a name (Wine's shell32 crashes the process from about 1000 characters on).
    if (shell.file.size() >= MAX_PATH) return;
    ShellExecuteA(nullptr, "open", shell.file.c_str(), shell.parameters.c_str(), nullptr,
                  SW_SHOWNORMAL);
}

}  // namespace spacegauge
