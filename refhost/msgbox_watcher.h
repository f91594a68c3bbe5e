#pragma once
// Stands in for the person at the screen: finds every message box this process shows,
// writes down its caption and text, and presses OK.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace refhost {

struct SeenBox {
    std::string caption;
    std::string text;
    DWORD thread = 0;  // the thread that showed it
};

class MessageBoxWatcher {
  public:
    // With cancelSettings, the settings dialog is answered with Cancel too, so that scripted
    // runs can call the configure handler without a person.
    explicit MessageBoxWatcher(bool cancelSettings = false);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenBox> Boxes() const;
    void Clear();
    // Waits until at least `count` boxes were seen or the time is up.
    bool WaitFor(std::size_t count, DWORD milliseconds) const;

  private:
    void Watch();
    static BOOL CALLBACK Visit(HWND window, LPARAM self);

    const bool cancelSettings_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::set<HWND> answered_;
    std::thread thread_;
};

}  // namespace refhost
