#pragma once
// Calls into the host. Both words of a service are read from the record at every call.
#include <cstdint>
#include <string>

#include "host/docklet_host.h"
#include "host/exception.h"

namespace spacegauge {

// Set once by Q_Initialization; read by both the host's thread and the refresh threads.
void SetHostRecord(TDockletHost* host);
TDockletHost* HostRecord();

void HostSetPluginName(const char* name);
void HostSetCaption(InstanceId id, const std::wstring& caption);  // empty -> null pointer
std::int32_t HostGetInstanceIndex(InstanceId id);
void HostSetFlag(std::uintptr_t value);
HostRect HostGetRect(InstanceId id);
void HostRequestRedraw(InstanceId id);

}  // namespace spacegauge
