#pragma once
// The local calendar time of a moment, on every platform the tool builds for.

#include <ctime>

inline bool ToLocalTime(std::time_t when, std::tm& local) {
#ifdef _WIN32
    return localtime_s(&local, &when) == 0;
#else
    return localtime_r(&when, &local) != nullptr;
#endif
}
