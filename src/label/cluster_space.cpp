#include "label/cluster_space.h"

namespace spacegauge {

BOOL WINAPI DiskFreeSpaceFromClusters(LPCSTR directory, PULARGE_INTEGER freeToCaller,
                                      PULARGE_INTEGER total, PULARGE_INTEGER totalFree) {
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    const BOOL ok = GetDiskFreeSpaceA(directory, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                      &totalClusters);
    // The cluster size is a 32-bit product; only the byte counts need 64 bits.
    const DWORD bytesPerCluster = sectorsPerCluster * bytesPerSector;
    const ULONGLONG freeBytes = static_cast<ULONGLONG>(bytesPerCluster) * freeClusters;
    if (freeToCaller) freeToCaller->QuadPart = freeBytes;
    if (total) total->QuadPart = static_cast<ULONGLONG>(bytesPerCluster) * totalClusters;
    if (totalFree) totalFree->QuadPart = freeBytes;
    return ok;
}

}  // namespace spacegauge
