#include "host/plugin_state.h"

#include <windows.h>

#include <vector>

#include "settings/ini_file.h"

namespace spacegauge {

std::string DefaultIconPath;
std::unique_ptr<TIniFile> IniFile;
InstanceId LastCreatedInstance = 0;

std::string HostProgramFolder() {
    // Long paths do not fit MAX_PATH; grow until the name is not cut.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            std::string path(buffer.data(), n);
            return path.substr(0, path.find_last_of('\\') + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string SettingsFilePath() {
    return HostProgramFolder() + "Docklets\\Spacegauge\\settings.ini";
}

std::string DefaultIconFilePath() {
    return HostProgramFolder() + "Docklets\\Spacegauge\\default.png";
}

}  // namespace spacegauge
