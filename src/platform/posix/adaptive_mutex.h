// A mutex that spins a little before it sleeps (where the C library offers it; a plain mutex
// elsewhere). The listing cache holds its lock for a few microseconds at a time; a std::mutex
// would put a contending thread to sleep and wake it again, which costs more than the wait.
#pragma once

#include <pthread.h>

namespace mezu::posix {

class AdaptiveMutex {
public:
    AdaptiveMutex()
    {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
#ifdef PTHREAD_ADAPTIVE_MUTEX_INITIALIZER_NP
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
#endif
        pthread_mutex_init(&mutex_, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~AdaptiveMutex() { pthread_mutex_destroy(&mutex_); }
    AdaptiveMutex(const AdaptiveMutex&) = delete;
    AdaptiveMutex& operator=(const AdaptiveMutex&) = delete;

    void lock() { pthread_mutex_lock(&mutex_); }
    void unlock() { pthread_mutex_unlock(&mutex_); }
    bool try_lock() { return pthread_mutex_trylock(&mutex_) == 0; }

private:
    pthread_mutex_t mutex_;
};

}  // namespace mezu::posix
