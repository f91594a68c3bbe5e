#pragma once
// The plug-in's few globals, besides FormSettings and the host record pointer. All of them
// belong to the host's thread; the refresh threads get their own copies.
#include <memory>
#include <string>

#include "host/docklet_host.h"

namespace spacegauge {

class TIniFile;

extern std::string DefaultIconPath;        // set by Q_OnCreate
extern std::unique_ptr<TIniFile> IniFile;  // Q_Initialization .. Q_Finalization
extern InstanceId LastCreatedInstance;     // the instance of the latest Q_OnCreate

// Folder of the host's executable, with its trailing backslash.
std::string HostProgramFolder();
std::string SettingsFilePath();
std::string DefaultIconFilePath();

}  // namespace spacegauge
