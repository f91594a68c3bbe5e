#pragma once
#include <windows.h>

namespace spacegauge {

// The module this code is linked into: the plug-in DLL, or a test executable.
inline HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace spacegauge
