#pragma once
// A lock that waits without limit and may be taken again by the thread that holds it.

#include "platform/AfxTypes.h"

#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock() {
        m_mutex.lock();
        return TRUE;
    }
    BOOL Unlock() {
        m_mutex.unlock();
        return TRUE;
    }

private:
    std::recursive_mutex m_mutex;
};
