#pragma once
// The refresh threads: one schedule per docklet instance, each re-expanding its instance's
// label every Update seconds and asking the host to redraw when the text changed.
#include <cstdint>
#include <string>

#include "host/docklet_host.h"
#include "host/win_handles.h"
#include "settings/settings_record.h"

namespace spacegauge {

// What a refresh thread needs of one instance's settings, copied whole so that the host's
// thread may rewrite the record at any time.
struct LabelSource {
    std::string labelText;
    char drive = 0;
    std::int32_t update = 0;
};

class TClockThread {
  public:
    // Created suspended; Resume starts it.
    TClockThread(InstanceId id, LabelSource source);
    ~TClockThread();  // terminates and waits if still running
    TClockThread(const TClockThread&) = delete;
    TClockThread& operator=(const TClockThread&) = delete;

    void Resume();
    void Terminate();  // wakes the thread at once
    void WaitFor();
    void Publish(LabelSource source);

  private:
    static DWORD WINAPI ThreadProc(LPVOID self);
    void Execute();
    bool Terminated() const;
    LabelSource Snapshot();

    const InstanceId id_;
    SlimLock lock_;
    LabelSource source_;  // guarded by lock_
    ScopedHandle terminate_;
    ScopedHandle thread_;
};

// All of these run on the host's thread.
void StartRefreshThread(InstanceId id);  // from the settings record; replaces one for id
void PublishLabelSource(InstanceId id, const SettingsRecord& record);
void StopAllRefreshThreads();

}  // namespace spacegauge
