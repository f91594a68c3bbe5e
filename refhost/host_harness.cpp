#include "host_harness.h"

#include <xmmintrin.h>

#include <stdexcept>
#include <utility>

#include "stdcall_check.h"

namespace refhost {
namespace {

constexpr UINT kRedrawMessage = WM_APP + 1;
constexpr std::uintptr_t kHostPattern = std::uintptr_t(0xA5A5A5A5A5A5A5A5ull);
constexpr std::size_t kRecordWords = sizeof(TDockletHost) / sizeof(std::uintptr_t);
constexpr std::size_t kStorageWords = kRecordWords + 16;  // guard words past the end

// Context words the services expect back; distinct so a mix-up shows.
constexpr std::uintptr_t kContextName = 0xC0DE0001, kContextCaption = 0xC0DE0002,
                         kContextIndex = 0xC0DE0003, kContextFlag = 0xC0DE0004,
                         kContextRect = 0xC0DE0005, kContextRedraw = 0xC0DE0006;

ReferenceHost* g_host = nullptr;  // one host per process, as with a real dock

// Mask bits of the invalid-operation, zero-divide and overflow exceptions, and the sticky
// exception flags, in MXCSR.
constexpr std::uint32_t kSseMasks = 0x0080 | 0x0200 | 0x0400;
constexpr std::uint32_t kSseFlags = 0x003F;
// The same three masks, and all six, in the x87 control word; exception flags and the
// summary and busy bits in its status word.
constexpr std::uint16_t kX87Masks = 0x0001 | 0x0004 | 0x0008;
constexpr std::uint16_t kX87AllMasks = 0x003F;
constexpr std::uint16_t kX87Flags = 0x80FF;

#ifndef _WIN64
std::uint16_t X87ControlWord() {
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

// Clears pending exceptions first: unmasking one that is pending would raise it at once.
void SetX87ControlWord(std::uint16_t word) {
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word));
}
#endif

bool IsFloatingPointException(DWORD code) {
    switch (code) {
        case STATUS_FLOAT_DENORMAL_OPERAND:
        case STATUS_FLOAT_DIVIDE_BY_ZERO:
        case STATUS_FLOAT_INEXACT_RESULT:
        case STATUS_FLOAT_INVALID_OPERATION:
        case STATUS_FLOAT_OVERFLOW:
        case STATUS_FLOAT_STACK_CHECK:
        case STATUS_FLOAT_UNDERFLOW:
        case 0xC00002B4:  // STATUS_FLOAT_MULTIPLE_FAULTS
        case 0xC00002B5:  // STATUS_FLOAT_MULTIPLE_TRAPS
            return true;
        default:
            return false;
    }
}

std::string ModuleOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module))
        return "?";
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring name(path, n);
    return ToUtf8(name.substr(name.find_last_of(L'\\') + 1));
}

ServiceCall NewCall(const char* service, std::uintptr_t context, std::uintptr_t expected) {
    ServiceCall call;
    call.service = service;
    call.thread = GetCurrentThreadId();
    call.contextOk = context == expected;
    call.mxcsr = _mm_getcsr();
    return call;
}

void WINAPI ServiceSetPluginName(std::uintptr_t context, const char* name) {
    ServiceCall call = NewCall("HostSetPluginName", context, kContextName);
    call.nullText = name == nullptr;
    if (name) call.text = name;
    g_host->Record(std::move(call));
}

void WINAPI ServiceSetCaption(std::uintptr_t context, InstanceId id, const wchar_t* caption) {
    ServiceCall call = NewCall("HostSetCaption", context, kContextCaption);
    call.id = id;
    call.nullText = caption == nullptr;
    if (caption) call.text = ToUtf8(caption);
    g_host->SetCaption(id, caption);
    g_host->Record(std::move(call));
}

std::int32_t WINAPI ServiceGetInstanceIndex(std::uintptr_t context, InstanceId id) {
    ServiceCall call = NewCall("HostGetInstanceIndex", context, kContextIndex);
    call.id = id;
    g_host->Record(std::move(call));
    return g_host->IndexOf(id);
}

void WINAPI ServiceSetFlag(std::uintptr_t context, std::uintptr_t value) {
    ServiceCall call = NewCall("HostSetFlag", context, kContextFlag);
    call.value = value;
    g_host->Record(std::move(call));
}

void WINAPI ServiceGetRect(HostRect* rect, std::uintptr_t context, InstanceId id) {
    ServiceCall call = NewCall("HostGetRect", context, kContextRect);
    call.id = id;
    *rect = g_host->RectOf(id);
    g_host->Record(std::move(call));
}

void WINAPI ServiceRequestRedraw(std::uintptr_t context, InstanceId id) {
    ServiceCall call = NewCall("HostRequestRedraw", context, kContextRedraw);
    call.id = id;
    g_host->Record(std::move(call));
    g_host->PostRedraw(id);  // never waits for the draw
}

}  // namespace

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    Gdiplus::GdiplusShutdown(token_);
}

HostBitmap::~HostBitmap() {
    if (bitmap_) Gdiplus::DllExports::GdipDisposeImage(bitmap_);
}

HostBitmap::HostBitmap(HostBitmap&& o) noexcept : bitmap_(std::exchange(o.bitmap_, nullptr)) {}

HostBitmap& HostBitmap::operator=(HostBitmap&& o) noexcept {
    if (this != &o) {
        if (bitmap_) Gdiplus::DllExports::GdipDisposeImage(bitmap_);
        bitmap_ = std::exchange(o.bitmap_, nullptr);
    }
    return *this;
}

Pixels ReadPixels(Gdiplus::GpBitmap* bitmap) {
    Pixels pixels;
    UINT w = 0, h = 0;
    Gdiplus::DllExports::GdipGetImageWidth(bitmap, &w);
    Gdiplus::DllExports::GdipGetImageHeight(bitmap, &h);
    pixels.width = int(w);
    pixels.height = int(h);
    pixels.argb.resize(std::size_t(w) * h);
    Gdiplus::Rect all(0, 0, int(w), int(h));
    Gdiplus::BitmapData data{};
    if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead,
                                                PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        throw std::runtime_error("cannot read the bitmap's pixels");
    for (UINT y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride);
        std::copy(row, row + w, pixels.argb.begin() + std::ptrdiff_t(y) * w);
    }
    Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap, &data);
    return pixels;
}

HostBitmap BitmapFromPixels(const Pixels& pixels) {
    Gdiplus::GpBitmap* raw = nullptr;
    Gdiplus::DllExports::GdipCreateBitmapFromScan0(pixels.width, pixels.height, 0,
                                                   PixelFormat32bppARGB, nullptr, &raw);
    HostBitmap bitmap(raw);
    if (!bitmap) return bitmap;
    Gdiplus::Rect all(0, 0, pixels.width, pixels.height);
    Gdiplus::BitmapData data{};
    if (Gdiplus::DllExports::GdipBitmapLockBits(raw, &all, Gdiplus::ImageLockModeWrite,
                                                PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return HostBitmap();
    for (int y = 0; y < pixels.height; ++y) {
        const auto from = pixels.argb.begin() + std::ptrdiff_t(y) * pixels.width;
        std::copy(from, from + pixels.width,
                  reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(data.Scan0) +
                                                   std::ptrdiff_t(y) * data.Stride));
    }
    Gdiplus::DllExports::GdipBitmapUnlockBits(raw, &data);
    return bitmap;
}

std::wstring ReferenceHost::HostFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring ReferenceHost::PluginFolder() {
    return HostFolder() + L"Docklets\\Spacegauge\\";
}

ReferenceHost::ReferenceHost(std::wstring dllPath)
    : dllPath_(std::move(dllPath)), storage_(kStorageWords, kHostPattern) {
    if (g_host) throw std::logic_error("one reference host per process");
    g_host = this;
    hostThread_ = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue redraw requests are posted to

    record_ = reinterpret_cast<TDockletHost*>(storage_.data());
    for (void*& slot : record_->handlers) slot = nullptr;
    record_->setPluginName = {&ServiceSetPluginName, kContextName};
    record_->setCaption = {&ServiceSetCaption, kContextCaption};
    record_->getInstanceIndex = {&ServiceGetInstanceIndex, kContextIndex};
    record_->setFlag = {&ServiceSetFlag, kContextFlag};
    record_->getRect = {&ServiceGetRect, kContextRect};
    record_->requestRedraw = {&ServiceRequestRedraw, kContextRedraw};

    Load();
}

ReferenceHost::~ReferenceHost() {
    if (initialized_) Finalize();
    Unload();
    SetUnmaskedFloatingPoint(false);
    g_host = nullptr;
}

// Unmasks for one call when the option is on, and puts the caller's state back afterwards.
class ReferenceHost::FloatingPointScope {
  public:
    FloatingPointScope(ReferenceHost& host, const char* during)
        : host_(host), active_(host.unmaskedFloatingPoint_) {
        if (!active_) return;
        previousCall_ = std::exchange(host_.runningCall_, during);
        csr_ = _mm_getcsr();
        _mm_setcsr(csr_ & ~(kSseMasks | kSseFlags));
#ifndef _WIN64
        x87_ = X87ControlWord();
        SetX87ControlWord(std::uint16_t(x87_ & ~kX87Masks));
#endif
    }
    ~FloatingPointScope() {
        if (!active_) return;
#ifndef _WIN64
        SetX87ControlWord(x87_);
#endif
        _mm_setcsr(csr_);
        host_.runningCall_ = previousCall_;
    }
    FloatingPointScope(const FloatingPointScope&) = delete;
    FloatingPointScope& operator=(const FloatingPointScope&) = delete;

  private:
    ReferenceHost& host_;
    const bool active_;
    const char* previousCall_ = nullptr;
    std::uint32_t csr_ = 0;
#ifndef _WIN64
    std::uint16_t x87_ = 0;
#endif
};

LONG CALLBACK ReferenceHost::OnException(EXCEPTION_POINTERS* info) {
    ReferenceHost* host = g_host;
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (!host || !IsFloatingPointException(code) || GetCurrentThreadId() != host->hostThread_ ||
        !host->runningCall_)
        return EXCEPTION_CONTINUE_SEARCH;
    FloatingPointFault fault{host->runningCall_, code,
                             ModuleOf(info->ExceptionRecord->ExceptionAddress)};
    {
        std::lock_guard<std::mutex> hold(host->mutex_);
        host->floatingPointFaults_.push_back(std::move(fault));
    }
    // Resume the faulting instruction with the exceptions masked: it then gives the default
    // result (an infinity or a NaN), as it would for a host that masks them.
    CONTEXT& c = *info->ContextRecord;
#ifdef _WIN64
    c.MxCsr |= kSseMasks;
    c.FltSave.MxCsr |= kSseMasks;
    c.FltSave.ControlWord |= kX87AllMasks;
    c.FltSave.StatusWord &= std::uint16_t(~kX87Flags);
#else
    c.FloatSave.ControlWord |= kX87AllMasks;
    c.FloatSave.StatusWord &= ~DWORD(kX87Flags);
    *reinterpret_cast<DWORD*>(c.ExtendedRegisters + 24) |= kSseMasks;  // MXCSR in FXSAVE
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

void ReferenceHost::SetUnmaskedFloatingPoint(bool on) {
    unmaskedFloatingPoint_ = on;
    if (on && !exceptionHandler_) exceptionHandler_ = AddVectoredExceptionHandler(1, &OnException);
    if (!on && exceptionHandler_)
        RemoveVectoredExceptionHandler(std::exchange(exceptionHandler_, nullptr));
}

std::vector<FloatingPointFault> ReferenceHost::FloatingPointFaults() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return floatingPointFaults_;
}

bool ReferenceHost::FaultCheckCatchesDivision() {
    const bool wasOn = unmaskedFloatingPoint_;
    SetUnmaskedFloatingPoint(true);
    const std::size_t before = FloatingPointFaults().size();
    volatile double zero = 0.0;
    volatile double quotient = 0.0;
    {
        FloatingPointScope scope(*this, "FaultCheckCatchesDivision");
        quotient = 1.0 / zero;
    }
    bool caught = false;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        caught = floatingPointFaults_.size() == before + 1 && quotient > 1e308;
        floatingPointFaults_.resize(before);
    }
    SetUnmaskedFloatingPoint(wasOn);
    return caught;
}

bool ReferenceHost::Load() {
    if (!module_) {
        FloatingPointScope scope(*this, "LoadLibrary");
        module_ = LoadLibraryW(dllPath_.c_str());
    }
    return module_ != nullptr;
}

void ReferenceHost::Unload() {
    if (!module_) return;
    FloatingPointScope scope(*this, "FreeLibrary");
    FreeLibrary(std::exchange(module_, nullptr));
}

bool ReferenceHost::HostBytesUntouched() const {
    const auto* words = storage_.data();
    const auto isService = [](std::size_t byteOffset) {
        for (std::size_t x86 : {8, 24, 40, 48, 96, 208})
            if (byteOffset == spacegauge::RecordOffset(x86) ||
                byteOffset == spacegauge::RecordOffset(x86 + 4))
                return true;
        return false;
    };
    for (std::size_t i = 0; i < kStorageWords; ++i) {
        const std::size_t offset = i * sizeof(std::uintptr_t);
        if (offset >= spacegauge::RecordOffset(216) && offset < spacegauge::RecordOffset(244))
            continue;  // the handler slots are the plug-in's
        if (isService(offset)) continue;
        if (words[i] != kHostPattern) return false;
    }
    return true;
}

HandlerResult ReferenceHost::CallChecked(void* fn, const char* name,
                                         std::initializer_list<std::uintptr_t> args) {
    if (!fn) throw std::runtime_error(std::string("no entry for ") + name);
    HandlerResult result;
    FloatingPointScope scope(*this, name);
#ifdef _WIN64
    const auto* a = args.begin();
    using F0 = std::uintptr_t (*)();
    using F1 = std::uintptr_t (*)(std::uintptr_t);
    using F2 = std::uintptr_t (*)(std::uintptr_t, std::uintptr_t);
    using F3 = std::uintptr_t (*)(std::uintptr_t, std::uintptr_t, std::uintptr_t);
    using F4 = std::uintptr_t (*)(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);
    switch (args.size()) {
        case 0:
            result.raw = reinterpret_cast<F0>(fn)();
            break;
        case 1:
            result.raw = reinterpret_cast<F1>(fn)(a[0]);
            break;
        case 2:
            result.raw = reinterpret_cast<F2>(fn)(a[0], a[1]);
            break;
        case 3:
            result.raw = reinterpret_cast<F3>(fn)(a[0], a[1], a[2]);
            break;
        default:
            result.raw = reinterpret_cast<F4>(fn)(a[0], a[1], a[2], a[3]);
            break;
    }
#else
    std::uint32_t words[4] = {};
    std::size_t n = 0;
    for (std::uintptr_t v : args) words[n++] = std::uint32_t(v);
    std::int32_t imbalance = 0;
    result.raw = CallStdcallChecked(fn, words, std::uint32_t(n), &imbalance);
    if (imbalance != 0)
        stackFaults_.push_back(std::string(name) + " left the stack off by " +
                               std::to_string(imbalance) + " bytes");
#endif
    return result;
}

HandlerResult ReferenceHost::CallExport(const char* name,
                                        std::initializer_list<std::uintptr_t> args) {
    if (!module_) throw std::runtime_error("the plug-in is not loaded");
    return CallChecked(reinterpret_cast<void*>(GetProcAddress(module_, name)), name, args);
}

HandlerResult ReferenceHost::CallSlot(int slot, const char* name,
                                      std::initializer_list<std::uintptr_t> args) {
    return CallChecked(record_->handlers[slot - 1], name, args);
}

HandlerResult ReferenceHost::Initialize() {
    const HandlerResult r =
        CallExport("Q_Initialization", {reinterpret_cast<std::uintptr_t>(record_)});
    initialized_ = true;
    return r;
}

HandlerResult ReferenceHost::Finalize() {
    initialized_ = false;
    return CallExport("Q_Finalization", {});
}

bool ReferenceHost::StackCheckCatchesImbalance() {
#ifdef _WIN64
    return true;
#else
    const std::size_t before = stackFaults_.size();
    CallExport("GetMagicID", {0});
    const bool caught = stackFaults_.size() == before + 1;
    stackFaults_.resize(before);
    return caught;
#endif
}

HandlerResult ReferenceHost::MagicId() {
    return CallExport("GetMagicID", {});
}

void ReferenceHost::SetInstance(InstanceId id, std::int32_t index, HostRect rect) {
    std::lock_guard<std::mutex> hold(mutex_);
    instances_[id].index = index;
    instances_[id].rect = rect;
}

HandlerResult ReferenceHost::Create(InstanceId id) {
    return CallSlot(1, "Q_OnCreate", {id});
}
HandlerResult ReferenceHost::Stub2(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c,
                                   std::uintptr_t d) {
    return CallSlot(2, "Q_Stub2", {a, b, c, d});
}
HandlerResult ReferenceHost::Click(std::uintptr_t arg) {
    return CallSlot(3, "Q_OnClick", {arg});
}
HandlerResult ReferenceHost::Edit(InstanceId id) {
    return CallSlot(4, "Q_OnEdit", {id});
}
HandlerResult ReferenceHost::Stub5(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c) {
    return CallSlot(5, "Q_Stub5", {a, b, c});
}
HandlerResult ReferenceHost::Stub6(std::uintptr_t a) {
    return CallSlot(6, "Q_Stub6", {a});
}

HostBitmap ReferenceHost::Draw(InstanceId id, HandlerResult* result, void* preset) {
    void* variable = preset;
    const HandlerResult r =
        CallSlot(7, "Q_OnDraw", {id, reinterpret_cast<std::uintptr_t>(&variable)});
    if (result) *result = r;
    return HostBitmap(static_cast<Gdiplus::GpBitmap*>(variable));
}

void ReferenceHost::Pump(DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr && msg.message == kRedrawMessage) {
                Draw(InstanceId(msg.wParam));
                ++redrawsServed_;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(deadline - now), QS_ALLINPUT);
    }
}

void ReferenceHost::Record(ServiceCall call) {
    call.onHostThread = call.thread == hostThread_;
    for (void* slot : record_->handlers) call.slotsFilled += slot != nullptr;
    std::lock_guard<std::mutex> hold(mutex_);
    calls_.push_back(std::move(call));
}

std::vector<ServiceCall> ReferenceHost::Calls() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return calls_;
}

std::vector<ServiceCall> ReferenceHost::CallsOf(const std::string& service) const {
    std::vector<ServiceCall> out;
    for (ServiceCall& c : Calls())
        if (c.service == service) out.push_back(std::move(c));
    return out;
}

std::vector<ServiceCall> ReferenceHost::TakeCalls() {
    std::lock_guard<std::mutex> hold(mutex_);
    return std::exchange(calls_, {});
}

void ReferenceHost::ClearCalls() {
    std::lock_guard<std::mutex> hold(mutex_);
    calls_.clear();
}

std::int32_t ReferenceHost::IndexOf(InstanceId id) const {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = instances_.find(id);
    return it == instances_.end() ? std::int32_t(id) : it->second.index;
}

HostRect ReferenceHost::RectOf(InstanceId id) const {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = instances_.find(id);
    return it == instances_.end() ? HostRect{0, 0, 128, 128} : it->second.rect;
}

void ReferenceHost::SetCaption(InstanceId id, const wchar_t* caption) {
    std::lock_guard<std::mutex> hold(mutex_);
    instances_[id].caption = caption ? caption : L"";
}

std::wstring ReferenceHost::Caption(InstanceId id) const {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = instances_.find(id);
    return it == instances_.end() ? L"" : it->second.caption;
}

void ReferenceHost::PostRedraw(InstanceId id) {
    PostThreadMessageW(hostThread_, kRedrawMessage, WPARAM(id), 0);
}

}  // namespace refhost
