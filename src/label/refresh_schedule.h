#pragma once
// Tick arithmetic of the refresh schedule. Portable.
#include <cstdint>

namespace spacegauge {

// The refresh interval in milliseconds. An Update of 0 or less counts as 1 second and one
// above 2,147,483 as 2,147,483 seconds, so the interval is always positive and fits 32 bits.
std::int32_t RefreshIntervalMs(std::int32_t update);

struct ScheduleCheck {
    bool due = false;             // at least one whole interval has passed since the reference
    std::uint32_t reference = 0;  // the reference tick moved forward by whole intervals
};

// The elapsed time is (now - reference) modulo 2^32, so the tick counter may wrap.
ScheduleCheck CheckSchedule(std::uint32_t reference, std::uint32_t now, std::int32_t update);

}  // namespace spacegauge
