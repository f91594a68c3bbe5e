#pragma once
// The host interface record. The host owns it; its layout is a contract with every host, so
// all offsets live here and nowhere else. On x64 each 32-bit entry of the x86 record widens to
// pointer size, so every byte offset doubles.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace spacegauge {

// The host's name for one docklet; opaque, handed back unchanged.
using InstanceId = std::uintptr_t;

using HostSetPluginNameFn = void(WINAPI*)(std::uintptr_t context, const char* name);
using HostSetCaptionFn = void(WINAPI*)(std::uintptr_t context, InstanceId id,
                                       const wchar_t* caption);
using HostGetInstanceIndexFn = std::int32_t(WINAPI*)(std::uintptr_t context, InstanceId id);
using HostSetFlagFn = void(WINAPI*)(std::uintptr_t context, std::uintptr_t value);
struct HostRect {
    std::int32_t left, top, right, bottom;
};
// The one service whose context word is not the first argument.
using HostGetRectFn = void(WINAPI*)(HostRect* rect, std::uintptr_t context, InstanceId id);
using HostRequestRedrawFn = void(WINAPI*)(std::uintptr_t context, InstanceId id);

template <typename Fn>
struct HostService {
    Fn code;
    std::uintptr_t context;
};

constexpr int kHandlerSlots = 7;

struct TDockletHost {
    std::uintptr_t hostOwned0[2];
    HostService<HostSetPluginNameFn> setPluginName;
    std::uintptr_t hostOwned1[2];
    HostService<HostSetCaptionFn> setCaption;
    std::uintptr_t hostOwned2[2];
    HostService<HostGetInstanceIndexFn> getInstanceIndex;
    HostService<HostSetFlagFn> setFlag;
    std::uintptr_t hostOwned3[10];
    HostService<HostGetRectFn> getRect;
    std::uintptr_t hostOwned4[26];
    HostService<HostRequestRedrawFn> requestRedraw;
    void* handlers[kHandlerSlots];
};

// x86 byte offset doubled on x64.
constexpr std::size_t RecordOffset(std::size_t x86Offset) {
    return x86Offset * sizeof(void*) / 4;
}

static_assert(sizeof(std::uintptr_t) == sizeof(void*));
static_assert(offsetof(TDockletHost, setPluginName.code) == RecordOffset(8));
static_assert(offsetof(TDockletHost, setPluginName.context) == RecordOffset(12));
static_assert(offsetof(TDockletHost, setCaption.code) == RecordOffset(24));
static_assert(offsetof(TDockletHost, setCaption.context) == RecordOffset(28));
static_assert(offsetof(TDockletHost, getInstanceIndex.code) == RecordOffset(40));
static_assert(offsetof(TDockletHost, getInstanceIndex.context) == RecordOffset(44));
static_assert(offsetof(TDockletHost, setFlag.code) == RecordOffset(48));
static_assert(offsetof(TDockletHost, setFlag.context) == RecordOffset(52));
static_assert(offsetof(TDockletHost, getRect.code) == RecordOffset(96));
static_assert(offsetof(TDockletHost, getRect.context) == RecordOffset(100));
static_assert(offsetof(TDockletHost, requestRedraw.code) == RecordOffset(208));
static_assert(offsetof(TDockletHost, requestRedraw.context) == RecordOffset(212));
static_assert(offsetof(TDockletHost, handlers) == RecordOffset(216));
static_assert(sizeof(TDockletHost) == RecordOffset(244));
static_assert(sizeof(HostRect) == 16);
#ifdef _WIN64
static_assert(offsetof(TDockletHost, requestRedraw.context) == 424);
static_assert(offsetof(TDockletHost, handlers) == 432 && sizeof(TDockletHost) == 488);
#else
static_assert(offsetof(TDockletHost, handlers) == 216 && sizeof(TDockletHost) == 244);
#endif

// Handler slots 1..7, in slot order. Results travel in the low byte (booleans).
using OnCreateFn = BOOL(WINAPI*)(InstanceId id);
using Stub2Fn = BOOL(WINAPI*)(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
using OnClickFn = BOOL(WINAPI*)(std::uintptr_t);
using OnEditFn = BOOL(WINAPI*)(InstanceId id);
using Stub5Fn = BOOL(WINAPI*)(std::uintptr_t, std::uintptr_t, std::uintptr_t);
using Stub6Fn = BOOL(WINAPI*)(std::uintptr_t);
using OnDrawFn = BOOL(WINAPI*)(InstanceId id, void** bitmap);

}  // namespace spacegauge
