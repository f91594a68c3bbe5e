#include "label/clock_thread.h"

#include <float.h>

#include <map>
#include <memory>

#include "host/error_box.h"
#include "host/host_services.h"
#include "label/expand_label.h"
#include "label/refresh_schedule.h"
#include "settings/form_settings.h"

namespace spacegauge {
namespace {

constexpr DWORD kCycleMs = 1000;

// A new thread starts with the system's floating-point defaults; ours computes as the host's
// loading thread did when the library loaded, like the host's own thread does.
#ifdef _WIN64
constexpr unsigned kInheritedControls = _MCW_EM | _MCW_RC;
#else
constexpr unsigned kInheritedControls = _MCW_EM | _MCW_RC | _MCW_PC;
#endif
const unsigned g_loadingThreadControls = _controlfp(0, 0);

// Host's thread only.
std::map<InstanceId, std::unique_ptr<TClockThread>>& Threads() {
    static std::map<InstanceId, std::unique_ptr<TClockThread>> threads;
    return threads;
}

LabelSource SourceOf(const SettingsRecord& r) {
    return {r.LabelText, r.Drive, r.Update};
}

}  // namespace

TClockThread::TClockThread(InstanceId id, LabelSource source)
    : id_(id), source_(std::move(source)), terminate_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!terminate_) throw Exception("Unable to create the refresh thread.");
    thread_ = ScopedHandle(CreateThread(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, nullptr));
    if (!thread_) throw Exception("Unable to create the refresh thread.");
}

TClockThread::~TClockThread() {
    Terminate();
    WaitFor();
}

void TClockThread::Resume() {
    ResumeThread(thread_.get());
}

void TClockThread::Terminate() {
    SetEvent(terminate_.get());
}

void TClockThread::WaitFor() {
    // A thread never resumed would never end: let it run straight into the request.
    ResumeThread(thread_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
}

void TClockThread::Publish(LabelSource source) {
    ScopedLock hold(lock_);
    source_ = std::move(source);
}

LabelSource TClockThread::Snapshot() {
    ScopedLock hold(lock_);
    return source_;
}

bool TClockThread::Terminated() const {
    return WaitForSingleObject(terminate_.get(), 0) == WAIT_OBJECT_0;
}

DWORD WINAPI TClockThread::ThreadProc(LPVOID self) {
    _controlfp(g_loadingThreadControls, kInheritedControls);
    static_cast<TClockThread*>(self)->Execute();
    return 0;
}

void TClockThread::Execute() {
    RunGuarded("SpacegaugeSrc.TClockThread.Execute", [this] {
        const LabelSource first = Snapshot();
        std::string reference = ExpandLabel(first.labelText, first.drive);
        std::uint32_t referenceTick = GetTickCount();
        while (!Terminated()) {
            // The one-second sleep, cut short by a termination request.
            WaitForSingleObject(terminate_.get(), kCycleMs);
            const std::uint32_t now = GetTickCount();
            const ScheduleCheck check = CheckSchedule(referenceTick, now, Snapshot().update);
            if (!check.due) continue;
            referenceTick = check.reference;
            const LabelSource source = Snapshot();
            std::string text = ExpandLabel(source.labelText, source.drive);
            if (text != reference) HostRequestRedraw(id_);
            reference = std::move(text);
        }
    });
}

void StartRefreshThread(InstanceId id) {
    if (!FormSettings) return;
    auto& threads = Threads();
    threads.erase(id);  // a second creation of the same instance restarts its schedule
    auto thread = std::make_unique<TClockThread>(id, SourceOf(FormSettings->record));
    thread->Resume();
    threads.emplace(id, std::move(thread));
}

void PublishLabelSource(InstanceId id, const SettingsRecord& record) {
    auto& threads = Threads();
    if (auto it = threads.find(id); it != threads.end()) it->second->Publish(SourceOf(record));
}

void StopAllRefreshThreads() {
    auto& threads = Threads();
    // Ask all first, so the waits overlap.
    for (auto& [id, thread] : threads) thread->Terminate();
    for (auto& [id, thread] : threads) thread->WaitFor();
    threads.clear();
}

}  // namespace spacegauge
