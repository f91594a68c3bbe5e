#pragma once
// Reading and writing one instance's section of settings.ini into the settings record.
#include <string>

#include "host/docklet_host.h"

namespace spacegauge {

// "Spacegauge" and the host's index for the instance; asks the host at every call.
std::string SectionName(InstanceId id);

// Both report their own failures in the error box and always return normally.
void Q_ReadSettings(InstanceId id);
void Q_WriteSettings(InstanceId id);

}  // namespace spacegauge
