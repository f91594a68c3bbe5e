#pragma once
#include "host/docklet_host.h"

namespace spacegauge {

// The configure flow behind Q_OnEdit: read, show, store on OK, redraw. False when an error
// ended it (the error box has been shown).
bool ConfigureInstance(InstanceId id);

}  // namespace spacegauge
