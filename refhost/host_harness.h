#pragma once
// A host that plays the dock: it owns the interface record, serves the six services (logging
// every call), loads the plug-in from Docklets\Spacegauge beside its own executable and calls
// the exports and handlers as a dock would, on its own thread.
#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host/docklet_host.h"

namespace refhost {

using spacegauge::HostRect;
using spacegauge::InstanceId;
using spacegauge::TDockletHost;

struct ServiceCall {
    std::string service;  // "HostSetPluginName", "HostSetCaption", ...
    DWORD thread = 0;
    bool onHostThread = false;
    bool contextOk = false;
    InstanceId id = 0;
    std::string text;  // the name or caption as UTF-8
    bool nullText = false;
    std::uintptr_t value = 0;  // HostSetFlag's value
    int slotsFilled = 0;       // handler slots non-null at the time of the call
    std::uint32_t mxcsr = 0;   // the SSE control and status word the service was called with
};

// Starts GDI+ for the process, as a dock must before the first draw.
class GdiplusSession {
  public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

  private:
    ULONG_PTR token_ = 0;
};

// A bitmap handed over by the draw handler; the host disposes of it.
class HostBitmap {
  public:
    HostBitmap() = default;
    explicit HostBitmap(Gdiplus::GpBitmap* b) : bitmap_(b) {}
    ~HostBitmap();
    HostBitmap(HostBitmap&& o) noexcept;
    HostBitmap& operator=(HostBitmap&& o) noexcept;
    HostBitmap(const HostBitmap&) = delete;
    HostBitmap& operator=(const HostBitmap&) = delete;
    Gdiplus::GpBitmap* get() const { return bitmap_; }
    explicit operator bool() const { return bitmap_ != nullptr; }

  private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // row by row
    std::uint32_t at(int x, int y) const { return argb[std::size_t(y) * width + x]; }
};
Pixels ReadPixels(Gdiplus::GpBitmap* bitmap);
// A new 32bpp ARGB bitmap holding the pixels; empty when GDI+ cannot make it.
HostBitmap BitmapFromPixels(const Pixels& pixels);

// A floating-point exception raised while the plug-in ran with exceptions unmasked.
struct FloatingPointFault {
    std::string during;  // the export or handler, or "LoadLibrary" / "FreeLibrary"
    DWORD code = 0;      // STATUS_FLOAT_...
    std::string module;  // file name of the module whose instruction faulted
};

struct HandlerResult {
    std::uintptr_t raw = 0;  // all bits as the host receives them
    bool ok() const { return (raw & 0xFF) != 0; }
};

class ReferenceHost {
  public:
    // The folder of this executable, with a trailing backslash.
    static std::wstring HostFolder();
    static std::wstring PluginFolder();  // HostFolder() + Docklets\Spacegauge\  (sic)

    explicit ReferenceHost(std::wstring dllPath = PluginFolder() + L"Spacegauge.dll");
    ~ReferenceHost();  // finalizes when needed, then unloads
    ReferenceHost(const ReferenceHost&) = delete;
    ReferenceHost& operator=(const ReferenceHost&) = delete;

    bool loaded() const { return module_ != nullptr; }
    bool initialized() const { return initialized_; }
    HMODULE module() const { return module_; }
    // Loads the plug-in again after Unload, under the current floating-point option.
    bool Load();

    // Some docks run with the invalid, zero-divide and overflow exceptions unmasked. With
    // this on, every export and handler, and loading and unloading the library, run so. A
    // fault is recorded and that call goes on with the exceptions masked, so a test sees
    // every fault instead of the process dying at the first one.
    void SetUnmaskedFloatingPoint(bool on);
    std::vector<FloatingPointFault> FloatingPointFaults() const;
    // Proves the fault net works: divides by zero under it and expects one fault.
    bool FaultCheckCatchesDivision();

    HandlerResult Initialize();
    HandlerResult Finalize();
    HandlerResult MagicId();
    void Unload();

    // The index HostGetInstanceIndex answers and the rectangle HostGetRect fills.
    void SetInstance(InstanceId id, std::int32_t index, HostRect rect = {0, 0, 128, 128});

    HandlerResult Create(InstanceId id);
    HandlerResult Click(std::uintptr_t arg = 0);
    HandlerResult Edit(InstanceId id);
    HandlerResult Stub2(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d);
    HandlerResult Stub5(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c);
    HandlerResult Stub6(std::uintptr_t a);
    // The bitmap the handler left in the host's variable, which starts out holding `preset`.
    HostBitmap Draw(InstanceId id, HandlerResult* result = nullptr, void* preset = nullptr);

    // Runs this thread's message loop; redraw requests from any thread are served by drawing.
    void Pump(DWORD milliseconds);
    int redrawsServed() const { return redrawsServed_; }

    std::vector<ServiceCall> Calls() const;
    // The calls so far, leaving none behind: a long run takes them in batches.
    std::vector<ServiceCall> TakeCalls();
    std::vector<ServiceCall> CallsOf(const std::string& service) const;
    void ClearCalls();
    std::wstring Caption(InstanceId id) const;

    TDockletHost& Record() { return *record_; }
    // The plug-in must leave every host-owned byte of the record as the host wrote it.
    bool HostBytesUntouched() const;
    // Handler calls whose stack pointer came back wrong (x86 only; always empty on x64).
    const std::vector<std::string>& StackFaults() const { return stackFaults_; }
    // Proves the stack check can fail: calls GetMagicID with one argument too many and
    // expects the imbalance to be caught. Always true on x64, where there is nothing to check.
    bool StackCheckCatchesImbalance();

    // Called by the service entry points.
    void Record(ServiceCall call);
    std::int32_t IndexOf(InstanceId id) const;
    HostRect RectOf(InstanceId id) const;
    void SetCaption(InstanceId id, const wchar_t* caption);
    void PostRedraw(InstanceId id);

  private:
    HandlerResult CallSlot(int slot, const char* name, std::initializer_list<std::uintptr_t> args);
    HandlerResult CallExport(const char* name, std::initializer_list<std::uintptr_t> args);
    HandlerResult CallChecked(void* fn, const char* name,
                              std::initializer_list<std::uintptr_t> args);
    class FloatingPointScope;
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* info);

    std::wstring dllPath_;
    HMODULE module_ = nullptr;
    std::vector<std::uintptr_t> storage_;  // the record, with room past its end
    TDockletHost* record_ = nullptr;
    bool initialized_ = false;
    DWORD hostThread_ = 0;
    int redrawsServed_ = 0;
    std::vector<std::string> stackFaults_;
    bool unmaskedFloatingPoint_ = false;
    void* exceptionHandler_ = nullptr;
    const char* runningCall_ = nullptr;  // set while the option is on and a call runs
    std::vector<FloatingPointFault> floatingPointFaults_;  // guarded by mutex_

    mutable std::mutex mutex_;  // services run on the refresh threads too
    std::vector<ServiceCall> calls_;
    struct Instance {
        std::int32_t index = 0;
        HostRect rect{0, 0, 128, 128};
        std::wstring caption;
    };
    std::map<InstanceId, Instance> instances_;
};

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace refhost
