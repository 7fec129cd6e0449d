// SPDX-License-Identifier: MIT
// Locks the compiler can check: clang's thread-safety analysis (-Wthread-safety) proves that
// what a mutex guards is touched only with it held. Other compilers see plain std::mutex code.
#pragma once

#include <condition_variable>
#include <mutex>

#if defined(__clang__)
#define MEZU_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define MEZU_THREAD_ANNOTATION(x)
#endif

#define MEZU_CAPABILITY(x) MEZU_THREAD_ANNOTATION(capability(x))
#define MEZU_SCOPED_CAPABILITY MEZU_THREAD_ANNOTATION(scoped_lockable)
#define MEZU_GUARDED_BY(x) MEZU_THREAD_ANNOTATION(guarded_by(x))
#define MEZU_PT_GUARDED_BY(x) MEZU_THREAD_ANNOTATION(pt_guarded_by(x))
#define MEZU_REQUIRES(...) MEZU_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define MEZU_EXCLUDES(...) MEZU_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define MEZU_ACQUIRE(...) MEZU_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define MEZU_RELEASE(...) MEZU_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define MEZU_TRY_ACQUIRE(...) MEZU_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define MEZU_ACQUIRE_SHARED(...) MEZU_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
#define MEZU_RELEASE_SHARED(...) MEZU_THREAD_ANNOTATION(release_shared_capability(__VA_ARGS__))
#define MEZU_NO_THREAD_SAFETY_ANALYSIS MEZU_THREAD_ANNOTATION(no_thread_safety_analysis)

namespace mezu {

class MEZU_CAPABILITY("mutex") Mutex {
public:
    void lock() MEZU_ACQUIRE() { mutex_.lock(); }
    // Takes the mutex if no other thread holds it; true when it did.
    bool tryLock() MEZU_TRY_ACQUIRE(true) { return mutex_.try_lock(); }
    void unlock() MEZU_RELEASE() { mutex_.unlock(); }

private:
    friend class MutexLock;
    std::mutex mutex_;
};

// Holds a Mutex for its scope; a thread may give it up for a while (unlocked, or while it
// waits on a condition) and take it again.
class MEZU_SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) MEZU_ACQUIRE(mutex)
        : lock_(mutex.mutex_)
    {
    }
    ~MutexLock() MEZU_RELEASE() = default;
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    void unlock() MEZU_RELEASE() { lock_.unlock(); }
    void lock() MEZU_ACQUIRE() { lock_.lock(); }

    // Waits until notified (or spuriously); the mutex is held again on return.
    void wait(std::condition_variable& condition) { condition.wait(lock_); }

private:
    std::unique_lock<std::mutex> lock_;
};

}  // namespace mezu
