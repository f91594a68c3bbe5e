#include "label/refresh_schedule.h"

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace spacegauge {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

TEST(RefreshIntervalMs, ClampsUpdateToWholeSecondsThatFit32Bits) {
    const struct {
        std::int32_t update;
        std::int32_t expected;
    } cases[] = {
        {1, 1000},
        {60, 60000},
        {3600, 3600000},
        {0, 1000},
        {-5, 1000},
        {kInt32Min, 1000},
        {2147483, 2147483000},
        {2147484, 2147483000},  // would wrap to a negative interval
        {4294968, 2147483000},  // would wrap to a small positive one
        {kInt32Max, 2147483000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RefreshIntervalMs(c.update), c.expected) << "update " << c.update;
    }
}

TEST(CheckSchedule, DecidesDueAndMovesReferenceByWholeIntervals) {
    const struct {
        const char* name;
        std::uint32_t reference;
        std::uint32_t now;
        std::int32_t update;
        bool due;
        std::uint32_t reference_after;
    } cases[] = {
        {"wrap, E 2296, update 1", 4294966000u, 1000u, 1, true, 704u},
        {"wrap, E 2296, update 2", 4294966000u, 1000u, 2, true, 704u},
        {"wrap, E 2296, update 3", 4294966000u, 1000u, 3, false, 4294966000u},
        {"exact boundary", 5000u, 6000u, 1, true, 6000u},
        {"one ms short", 5000u, 5999u, 1, false, 5000u},
        {"no time at all", 5000u, 5000u, 1, false, 5000u},
        {"late wake-up keeps the grid", 10000u, 11007u, 1, true, 11000u},
        {"stall of five intervals", 10000u, 10000u + 5 * 60000u + 1234u, 60, true, 310000u},
        {"update 0 not yet due", 0u, 999u, 0, false, 0u},
        {"update 0 acts as 1 s", 0u, 1500u, 0, true, 1000u},
        {"update -5 acts as 1 s", 7u, 3100u, -5, true, 3007u},
        {"huge update not yet due", 0u, 2147482999u, kInt32Max, false, 0u},
        {"huge update due", 0u, 2147483000u, kInt32Max, true, 2147483000u},
        {"huge update, two intervals", 0u, 4294967295u, kInt32Max, true, 4294966000u},
        {"huge update across wrap", 4000000000u, 2000000000u, kInt32Max, true, 1852515704u},
    };
    for (const auto& c : cases) {
        const ScheduleCheck check = CheckSchedule(c.reference, c.now, c.update);
        EXPECT_EQ(check.due, c.due) << c.name;
        EXPECT_EQ(check.reference, c.reference_after) << c.name;
    }
}

TEST(CheckSchedule, ReferenceEndsWithinOneIntervalBeforeNow) {
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<std::uint32_t> tick;
    const std::int32_t updates[] = {-1, 0, 1, 7, 60, 3600, 2147483, kInt32Max};
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t reference = tick(random);
        const std::uint32_t now = tick(random);
        const std::int32_t update = updates[i % std::size(updates)];
        const auto interval = static_cast<std::uint32_t>(RefreshIntervalMs(update));
        const ScheduleCheck check = CheckSchedule(reference, now, update);
        const std::uint32_t moved = check.reference - reference;
        ASSERT_EQ(moved % interval, 0u) << reference << " " << now << " " << update;
        ASSERT_LT(now - check.reference, interval) << reference << " " << now << " " << update;
        ASSERT_EQ(check.due, moved != 0) << reference << " " << now << " " << update;
    }
}

// Wake-ups about once a second, some late, one early: the checks stay on the t0 + k s grid.
TEST(CheckSchedule, WakeUpsFollowTheScheduleWithoutDrift) {
    const std::uint32_t t0 = 4294964000u;  // the counter wraps during the run
    const std::uint32_t wakeups[] = {1003, 2011, 2998, 4001, 5020, 6000, 9500, 10002};
    const bool expected_due[] = {true, true, false, true, true, true, true, true};
    const std::uint32_t expected_reference[] = {1000, 2000, 2000, 4000, 5000, 6000, 9000, 10000};

    std::uint32_t reference = t0;
    for (std::size_t i = 0; i < std::size(wakeups); ++i) {
        const ScheduleCheck check = CheckSchedule(reference, t0 + wakeups[i], 1);
        EXPECT_EQ(check.due, expected_due[i]) << "wake-up " << i;
        EXPECT_EQ(check.reference - t0, expected_reference[i]) << "wake-up " << i;
        reference = check.reference;
    }
}

}  // namespace
}  // namespace spacegauge
