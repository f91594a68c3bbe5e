// The refresh threads as a dock sees them: a redraw request from a background thread when a
// label's figures change, none while they stay, and a quick end at finalization. The tests
// that change figures need the exact-figure drives named in SPACEGAUGE_TEST_VOLUME and
// SPACEGAUGE_TEST_VOLUME2 (tests/support/volumes.sh) and are skipped without them.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wine_test_support.h"

namespace refhost {
namespace {

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

struct Figures {
    std::int64_t total;
    std::int64_t free;
};

// "$rgb." differs between the two figures of each pair.
constexpr Figures kM_A = {14 * kGiB, 5 * kGiB / 2};
constexpr Figures kM_B = {14 * kGiB, 7 * kGiB / 2};
constexpr Figures kN_A = {100 * kGiB, 49 * kGiB / 4};
constexpr Figures kN_B = {100 * kGiB, 20 * kGiB};

// A volume whose figures a test sets; it gets back the figures it had when the test ends.
class TestDrive {
  public:
    explicit TestDrive(char letter) : letter_(letter) {
        std::ifstream in(FiguresPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        original_ = text.str();
    }
    ~TestDrive() {
        if (!original_.empty()) Write(original_);
    }
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    char letter() const { return letter_; }

    void Set(const Figures& figures) {
        ASSERT_TRUE(Write(std::to_string(figures.total) + " " + std::to_string(figures.free)))
            << "cannot write " << FiguresPath();
        ULARGE_INTEGER free{};
        ULARGE_INTEGER total{};
        ASSERT_TRUE(GetDiskFreeSpaceExA(Root().c_str(), &free, &total, nullptr));
        ASSERT_EQ(total.QuadPart, static_cast<ULONGLONG>(figures.total));
        ASSERT_EQ(free.QuadPart, static_cast<ULONGLONG>(figures.free));
    }

  private:
    std::string Root() const { return std::string(1, letter_) + ":\\"; }
    std::string FiguresPath() const { return Root() + "figures"; }

    // The volume takes the figures when the file is closed.
    bool Write(const std::string& text) const {
        std::ofstream out(FiguresPath(), std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        return bool(out);
    }

    char letter_;
    std::string original_;
};

std::string Section(int index, char drive, const std::string& update) {
    return "[Spacegauge" + std::to_string(index) +
           "]\r\nLabelText=$rgb.\r\nDrive=" + std::string(1, drive) + "\r\nUpdate=" + update +
           "\r\n";
}

double Seconds(const FILETIME& time) {
    return double(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart) / 1e7;
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

class RefreshTest : public PluginTest {
  protected:
    // False when the environment names fewer test volumes than asked for.
    bool UseDrives(int count) {
        for (const char* variable : {"SPACEGAUGE_TEST_VOLUME", "SPACEGAUGE_TEST_VOLUME2"}) {
            if (int(drives_.size()) == count) break;
            const char* letter = std::getenv(variable);
            if (!letter || !*letter) return false;
            drives_.push_back(std::make_unique<TestDrive>(letter[0]));
        }
        return true;
    }
    TestDrive& drive(int i) { return *drives_[i]; }

    std::vector<ServiceCall> Requests() { return host().CallsOf("HostRequestRedraw"); }

    // Pumps the host's messages until `count` redraw requests have come or the time is up.
    bool PumpUntilRequests(std::size_t count, DWORD milliseconds) {
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        while (Requests().size() < count) {
            if (GetTickCount64() >= deadline) return false;
            host().Pump(50);
        }
        return true;
    }

    // A thread takes its first text when it starts, without a request; a change made before
    // that would go unseen, so the tests let the threads start first.
    void LetThreadsStart() {
        host().Pump(1500);
        EXPECT_TRUE(Requests().empty()) << "a request while nothing changed";
        host().ClearCalls();
    }

    double TimedFinalizeMs() {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        const bool ok = host().Finalize().ok();
        QueryPerformanceCounter(&end);
        EXPECT_TRUE(ok);
        return double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
    }

  private:
    std::vector<std::unique_ptr<TestDrive>> drives_;
};

TEST_F(RefreshTest, ChangedFiguresBringARequestFromTheRefreshThread) {
    if (!UseDrives(1)) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME is not set";
    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_A));
    WriteSettings(Section(1, drive(0).letter(), "1"));
    InitAndCreate(1, 1);
    LetThreadsStart();

    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_B));
    ASSERT_TRUE(PumpUntilRequests(1, 4000)) << "no redraw request within 4 s";
    host().Pump(1500);

    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 1u) << "the text changed once";
    EXPECT_FALSE(requests[0].onHostThread);
    EXPECT_NE(requests[0].thread, GetCurrentThreadId());
    EXPECT_TRUE(requests[0].contextOk);
    EXPECT_EQ(requests[0].id, 1u);
    EXPECT_GE(host().redrawsServed(), 1);
    EXPECT_FALSE(host().CallsOf("HostSetCaption").empty()) << "the host drew again";
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(RefreshTest, SteadyFiguresBringNoRequest) {
    if (!UseDrives(1)) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME is not set";
    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_A));
    WriteSettings(Section(1, drive(0).letter(), "1"));
    InitAndCreate(1, 1);

    host().Pump(3000);

    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(host().redrawsServed(), 0);
}

TEST_F(RefreshTest, ChangeAndChangeBackBringTwoRequests) {
    if (!UseDrives(1)) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME is not set";
    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_A));
    WriteSettings(Section(1, drive(0).letter(), "1"));
    InitAndCreate(1, 1);
    LetThreadsStart();

    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_B));
    ASSERT_TRUE(PumpUntilRequests(1, 4000)) << "no request for the change";
    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_A));
    ASSERT_TRUE(PumpUntilRequests(2, 4000)) << "no request for the change back";
    host().Pump(2000);

    const auto requests = Requests();
    EXPECT_EQ(requests.size(), 2u);
    for (const ServiceCall& r : requests) EXPECT_EQ(r.id, 1u);
}

TEST_F(RefreshTest, EachInstanceSpeaksForItsOwnDrive) {
    if (!UseDrives(2)) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME and _VOLUME2 are not both set";
    ASSERT_NO_FATAL_FAILURE(drive(0).Set(kM_A));
    ASSERT_NO_FATAL_FAILURE(drive(1).Set(kN_A));
    WriteSettings(Section(1, drive(0).letter(), "1") + Section(2, drive(1).letter(), "1"));
    ASSERT_TRUE(host().Initialize().ok());
    host().SetInstance(1, 1);
    host().SetInstance(2, 2);
    ASSERT_TRUE(host().Create(1).ok());
    ASSERT_TRUE(host().Create(2).ok());
    LetThreadsStart();

    const struct {
        int drive;
        Figures figures;
        InstanceId named;
    } cases[] = {{1, kN_B, 2}, {0, kM_B, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("changed drive ") + drive(c.drive).letter());
        host().ClearCalls();
        ASSERT_NO_FATAL_FAILURE(drive(c.drive).Set(c.figures));
        ASSERT_TRUE(PumpUntilRequests(1, 4000));
        host().Pump(1500);
        const auto requests = Requests();
        EXPECT_EQ(requests.size(), 1u);
        for (const ServiceCall& r : requests) EXPECT_EQ(r.id, c.named);
    }
}

TEST_F(RefreshTest, FinalizationReturnsWithin100MsWhileThreadsRun) {
    WriteSettings(Section(1, 'c', "1") + Section(2, 'c', "1"));
    // Finalization at different points of the threads' one-second cycle.
    double slowest = 0;
    for (DWORD running : {1000, 1250, 1500, 1750}) {
        ASSERT_TRUE(host().Initialize().ok());
        host().SetInstance(1, 1);
        host().SetInstance(2, 2);
        ASSERT_TRUE(host().Create(1).ok());
        ASSERT_TRUE(host().Create(2).ok());
        host().Pump(running);
        const double ms = TimedFinalizeMs();
        EXPECT_LT(ms, 100.0) << "after " << running << " ms of running";
        slowest = std::max(slowest, ms);
    }
    std::cout << "[ measured ] slowest Q_Finalization: " << slowest << " ms\n";
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(RefreshTest, UpdateOutOfRangeNeitherSpinsNorBlocksFinalization) {
    for (const char* update : {"0", "-5", "2147484"}) {
        SCOPED_TRACE(std::string("Update=") + update);
        WriteSettings(Section(1, 'c', update));
        ASSERT_TRUE(host().Initialize().ok());
        host().SetInstance(1, 1);
        ASSERT_TRUE(host().Create(1).ok());

        const double before = ProcessCpuSeconds();
        host().Pump(3000);
        const double cpu = ProcessCpuSeconds() - before;
        const double ms = TimedFinalizeMs();

        std::cout << "[ measured ] Update=" << update << ": " << cpu
                  << " s of process CPU over 3 s, Q_Finalization " << ms << " ms\n";
        EXPECT_LT(cpu, 0.5);
        EXPECT_LT(ms, 100.0);
    }
    EXPECT_TRUE(boxes().Boxes().empty());
}

}  // namespace
}  // namespace refhost
