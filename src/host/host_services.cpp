#include "host/host_services.h"

#include <atomic>

namespace spacegauge {
namespace {

// Written once on the host's thread, read by the refresh threads too.
std::atomic<TDockletHost*> g_hostRecord{nullptr};

TDockletHost& Host() {
    TDockletHost* host = g_hostRecord.load(std::memory_order_acquire);
    if (!host) throw Exception("The dock has not initialised the plug-in.");
    return *host;
}

}  // namespace

void SetHostRecord(TDockletHost* host) {
    g_hostRecord.store(host, std::memory_order_release);
}

TDockletHost* HostRecord() {
    return g_hostRecord.load(std::memory_order_acquire);
}

void HostSetPluginName(const char* name) {
    auto& s = Host().setPluginName;
    s.code(s.context, name);
}

void HostSetCaption(InstanceId id, const std::wstring& caption) {
    auto& s = Host().setCaption;
    s.code(s.context, id, caption.empty() ? nullptr : caption.c_str());
}

std::int32_t HostGetInstanceIndex(InstanceId id) {
    auto& s = Host().getInstanceIndex;
    return s.code(s.context, id);
}

void HostSetFlag(std::uintptr_t value) {
    auto& s = Host().setFlag;
    s.code(s.context, value);
}

HostRect HostGetRect(InstanceId id) {
    HostRect rect;  // the host fills all four fields
    auto& s = Host().getRect;
    s.code(&rect, s.context, id);
    return rect;
}

void HostRequestRedraw(InstanceId id) {
    auto& s = Host().requestRedraw;
    s.code(s.context, id);
}

}  // namespace spacegauge
