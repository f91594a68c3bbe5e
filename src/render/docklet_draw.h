#pragma once
#include "host/docklet_host.h"

namespace spacegauge {

// Renders the instance's image into a new bitmap whose handle lands in the host's variable
// (null when no bitmap could be made); the host owns the bitmap from then on.
void DrawDocklet(InstanceId id, void** hostBitmap);

}  // namespace spacegauge
