#include "msgbox_watcher.h"

namespace refhost {

namespace {
BOOL CALLBACK StopAtFirst(HWND, LPARAM) {
    return FALSE;
}

// The static control that holds a message box's text; dialogs of our own have none.
constexpr int kMessageTextId = 0xFFFF;
}  // namespace

MessageBoxWatcher::MessageBoxWatcher(bool cancelSettings) : cancelSettings_(cancelSettings) {
    // Wine can deadlock when this thread's first window call races a LoadLibrary on the main
    // thread (the window system's one-time setup waits for the loader lock): do that setup
    // here, on the constructing thread, before the watcher starts.
    GetDesktopWindow();
    EnumWindows(&StopAtFirst, 0);
    thread_ = std::thread([this] { Watch(); });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

void MessageBoxWatcher::Watch() {
    while (!stop_) {
        EnumWindows(&Visit, LPARAM(this));
        Sleep(20);
    }
}

BOOL CALLBACK MessageBoxWatcher::Visit(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<MessageBoxWatcher*>(param);
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") return TRUE;
    if (!GetDlgItem(window, kMessageTextId)) {
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        if (self->cancelSettings_ && std::string(title) == "Spacegauge Settings")
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    {
        std::lock_guard<std::mutex> hold(self->mutex_);
        if (!self->answered_.insert(window).second) return TRUE;
    }
    SeenBox box;
    box.thread = thread;
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    box.caption = text;
    text[0] = 0;
    GetDlgItemTextA(window, kMessageTextId, text, sizeof text);
    box.text = text;
    {
        std::lock_guard<std::mutex> hold(self->mutex_);
        self->boxes_.push_back(std::move(box));
    }
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

std::vector<SeenBox> MessageBoxWatcher::Boxes() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return boxes_;
}

void MessageBoxWatcher::Clear() {
    std::lock_guard<std::mutex> hold(mutex_);
    boxes_.clear();
}

bool MessageBoxWatcher::WaitFor(std::size_t count, DWORD milliseconds) const {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        if (Boxes().size() >= count) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

}  // namespace refhost
