// The library's boundary: its three exports, the seven handlers the host calls through its
// record, and the life of the library and of an instance. Nothing thrown inside may reach
// the host, so every entry point ends in a guard.
#include <windows.h>

#include "host/docklet_host.h"
#include "host/error_box.h"
#include "host/host_services.h"
#include "host/plugin_state.h"
#include "label/clock_thread.h"
#include "launch/command_launch.h"
#include "render/docklet_draw.h"
#include "settings/configure_flow.h"
#include "settings/form_settings.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"

using namespace spacegauge;

extern "C" {

BOOL WINAPI Q_OnCreate(InstanceId id);
BOOL WINAPI Q_Stub2(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
BOOL WINAPI Q_OnClick(std::uintptr_t);
BOOL WINAPI Q_OnEdit(InstanceId id);
BOOL WINAPI Q_Stub5(std::uintptr_t, std::uintptr_t, std::uintptr_t);
BOOL WINAPI Q_Stub6(std::uintptr_t);
BOOL WINAPI Q_OnDraw(InstanceId id, void** bitmap);

BOOL WINAPI Q_Initialization(TDockletHost* host) {
    RunGuarded("SpacegaugeSrc.Q_Initialization", [&] {
        SetHostRecord(host);
        HostSetPluginName("Spacegauge");
        void* const handlers[kHandlerSlots] = {
            reinterpret_cast<void*>(&Q_OnCreate), reinterpret_cast<void*>(&Q_Stub2),
            reinterpret_cast<void*>(&Q_OnClick),  reinterpret_cast<void*>(&Q_OnEdit),
            reinterpret_cast<void*>(&Q_Stub5),    reinterpret_cast<void*>(&Q_Stub6),
            reinterpret_cast<void*>(&Q_OnDraw)};
        for (int slot = 0; slot < kHandlerSlots; ++slot) host->handlers[slot] = handlers[slot];
        HostSetFlag(1);
        FormSettings = std::make_unique<TFormSettings>();
        IniFile = std::make_unique<TIniFile>(SettingsFilePath());
    });
    return TRUE;
}

BOOL WINAPI Q_Finalization() {
    RunGuarded("SpacegaugeSrc.Q_Finalization", [] {
        StopAllRefreshThreads();
        IniFile.reset();
        FormSettings.reset();
    });
    return TRUE;
}

WORD WINAPI GetMagicID() {
    return 0xFFFF;
}

BOOL WINAPI Q_OnCreate(InstanceId id) {
    RunGuarded("SpacegaugeSrc.Q_OnCreate", [&] {
        DefaultIconPath = DefaultIconFilePath();
        HostSetCaption(id, L"Spacegauge");
        LastCreatedInstance = id;
        Q_ReadSettings(id);
        StartRefreshThread(id);
    });
    return TRUE;
}

BOOL WINAPI Q_Stub2(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {
    return TRUE;
}

BOOL WINAPI Q_OnClick(std::uintptr_t) {
    RunGuarded("SpacegaugeSrc.Q_OnClick", [] { LaunchCommand(); });
    return TRUE;
}

BOOL WINAPI Q_OnEdit(InstanceId id) {
    // ConfigureInstance has its own guard with the box the user knows; this one only keeps
    // anything it might miss from unwinding into the host.
    bool completed = false;
    RunGuarded("SpacegaugeSrc.Q_OnEdit", [&] { completed = ConfigureInstance(id); });
    return completed ? TRUE : FALSE;
}

BOOL WINAPI Q_Stub5(std::uintptr_t, std::uintptr_t, std::uintptr_t) {
    return TRUE;
}

BOOL WINAPI Q_Stub6(std::uintptr_t) {
    return TRUE;
}

BOOL WINAPI Q_OnDraw(InstanceId id, void** bitmap) {
    RunGuarded("SpacegaugeSrc.Q_OnDraw", [&] { DrawDocklet(id, bitmap); });
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

}  // extern "C"
