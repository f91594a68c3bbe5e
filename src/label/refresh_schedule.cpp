#include "label/refresh_schedule.h"

namespace spacegauge {

namespace {

constexpr std::int32_t kMinUpdateSeconds = 1;
// The largest whole number of seconds whose milliseconds still fit a signed 32-bit value.
constexpr std::int32_t kMaxUpdateSeconds = 2147483;

}  // namespace

std::int32_t RefreshIntervalMs(std::int32_t update) {
    if (update < kMinUpdateSeconds) update = kMinUpdateSeconds;
    if (update > kMaxUpdateSeconds) update = kMaxUpdateSeconds;
    return update * 1000;
}

ScheduleCheck CheckSchedule(std::uint32_t reference, std::uint32_t now, std::int32_t update) {
    const std::uint32_t elapsed = now - reference;  // unsigned, so right across the wrap
    const std::int64_t interval = RefreshIntervalMs(update);
    if (interval > static_cast<std::int64_t>(elapsed)) return {false, reference};
    // Whole intervals only, so the schedule never drifts with the lateness of a wake-up.
    const std::uint64_t steps = elapsed / static_cast<std::uint64_t>(interval);
    const auto advance = static_cast<std::uint32_t>(steps * static_cast<std::uint64_t>(interval));
    return {true, reference + advance};
}

}  // namespace spacegauge
