#pragma once
// The fixture of the Windows-side tests: a reference host in this process, a watcher that
// answers message boxes, and the plug-in folder beside this executable with a fresh
// settings file for every test.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "host_harness.h"
#include "msgbox_watcher.h"

namespace refhost {

class PluginTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    ReferenceHost& host() { return *host_; }
    MessageBoxWatcher& boxes() { return *boxes_; }

    // Initialises the plug-in and creates instance `id`, answering `index` for it.
    void InitAndCreate(InstanceId id = 1, std::int32_t index = 1, HostRect rect = {0, 0, 128, 128});

    static std::string PluginFolderA();  // 8-bit, with trailing backslash
    static std::string SettingsPath();
    static std::string DefaultIconPath();
    static void WriteFile(const std::string& path, const std::string& content);
    static std::string ReadFile(const std::string& path);
    static bool FileExists(const std::string& path);
    void WriteSettings(const std::string& content) { WriteFile(SettingsPath(), content); }
    std::string ReadSettings() const { return ReadFile(SettingsPath()); }

  private:
    std::unique_ptr<GdiplusSession> gdiplus_;
    std::unique_ptr<MessageBoxWatcher> boxes_;
    std::unique_ptr<ReferenceHost> host_;
};

// Presses a button of the settings dialog once it shows; false when it never came.
class DialogPresser {
  public:
    explicit DialogPresser(WPARAM button)
        : thread_([this, button] {
              for (int i = 0; i < 300 && !stop_; ++i) {
                  const HWND dialog = FindWindowA(nullptr, "Spacegauge Settings");
                  if (dialog && IsWindowVisible(dialog)) {
                      shown_ = true;
                      PostMessageA(dialog, WM_COMMAND, button, 0);
                      return;
                  }
                  Sleep(10);
              }
          }) {}
    ~DialogPresser() { Finish(); }
    bool Finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return shown_;
    }

  private:
    std::atomic<bool> stop_{false}, shown_{false};
    std::thread thread_;
};

// Number of threads this process runs now.
int ThreadCount();

}  // namespace refhost
