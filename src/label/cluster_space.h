#pragma once
// The volume query for systems whose kernel32 lacks GetDiskFreeSpaceExA.
#include <windows.h>

namespace spacegauge {

// Same arguments and result as GetDiskFreeSpaceExA, built on GetDiskFreeSpaceA. Free space
// counts every free cluster: no per-user quota applies. Null outputs are skipped.
BOOL WINAPI DiskFreeSpaceFromClusters(LPCSTR directory, PULARGE_INTEGER freeToCaller,
                                      PULARGE_INTEGER total, PULARGE_INTEGER totalFree);

}  // namespace spacegauge
