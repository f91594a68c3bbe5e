#include "label/disk_query.h"

#include <windows.h>

#include "label/cluster_space.h"
#include "label/volume_path.h"

namespace spacegauge {

namespace {

using DiskFreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

DiskFreeSpaceEx BindDiskFreeSpaceEx() {
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    const FARPROC found = kernel32 ? GetProcAddress(kernel32, "GetDiskFreeSpaceExA") : nullptr;
    if (!found) return &DiskFreeSpaceFromClusters;
    return reinterpret_cast<DiskFreeSpaceEx>(reinterpret_cast<void*>(found));
}

char ReadDecimalSeparator() {
    char buffer[2] = {};
    // Two characters hold one separator and its NUL, so a longer separator fails the call.
    // An empty one would put a NUL into the label; it falls back as well.
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_SDECIMAL, buffer, sizeof buffer) != 2) {
        return '.';
    }
    return buffer[0];
}

// Bound while the library loads, on the loading thread, and never again.
const DiskFreeSpaceEx diskFreeSpaceEx = BindDiskFreeSpaceEx();
const char decimalSeparator = ReadDecimalSeparator();

}  // namespace

bool QueryDiskSpace(const std::string& path, std::int64_t& total, std::int64_t& free) {
    const std::string directory = QueryDirectory(path);
    ULARGE_INTEGER freeToCaller{};
    ULARGE_INTEGER totalBytes{};
    if (!diskFreeSpaceEx(directory.c_str(), &freeToCaller, &totalBytes, nullptr)) return false;
    total = static_cast<std::int64_t>(totalBytes.QuadPart);
    free = static_cast<std::int64_t>(freeToCaller.QuadPart);
    return true;
}

char DecimalSeparator() {
    return decimalSeparator;
}

}  // namespace spacegauge
