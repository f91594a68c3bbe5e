#pragma once
// Scoped owners for Win32 handles and locks.
#include <windows.h>

#include <utility>

namespace spacegauge {

// A kernel object handle closed with CloseHandle.
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(ScopedHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset() {
        if (h_) CloseHandle(std::exchange(h_, nullptr));
    }

  private:
    HANDLE h_ = nullptr;
};

// A slim reader/writer lock; needs no destruction.
class SlimLock {
  public:
    SlimLock() = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;
    void Lock() { AcquireSRWLockExclusive(&lock_); }
    void Unlock() { ReleaseSRWLockExclusive(&lock_); }

  private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class ScopedLock {
  public:
    explicit ScopedLock(SlimLock& lock) : lock_(lock) { lock_.Lock(); }
    ~ScopedLock() { lock_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    SlimLock& lock_;
};

}  // namespace spacegauge
