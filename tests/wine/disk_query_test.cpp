// Runs against a volume with chosen figures that the caller mounts and maps to the drive
// letter in SPACEGAUGE_TEST_VOLUME (tests/support/volumes.sh); skipped without one.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "label/cluster_space.h"
#include "label/disk_query.h"
#include "label/expand_label.h"

namespace spacegauge {
namespace {

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

struct Volume {
    const char* name;
    std::int64_t total;
    std::int64_t free;
    const char* expanded;  // of kAllFigures, with '.' as the separator
};

constexpr char kAllFigures[] = "$tgb. $tgb $ugb. $ugb $rgb. $rgb $rp. $rp $up. $up";

// Exact halves and quarters of a gigabyte, multiples of the 4096-byte unit Wine reports in.
const Volume kVolumeB = {"14 GB, 2.5 free", 14 * kGiB, 5 * kGiB / 2,
                         "14 14 11.5 12 2.5 2 17.9 18 82.1 82"};
const Volume kVolumeC = {"100 GB, 12.25 free", 100 * kGiB, 49 * kGiB / 4,
                         "100 100 87.8 88 12.2 12 12.2 12 87.8 88"};
const Volume kFull = {"full", 4096 * 3, 0, "0 0 0 0 0 0 0 0 100 100"};

std::string WithSeparator(std::string text) {
    std::replace(text.begin(), text.end(), '.', DecimalSeparator());
    return text;
}

class TestVolume : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* letter = std::getenv("SPACEGAUGE_TEST_VOLUME");
        if (!letter || !*letter) GTEST_SKIP() << "SPACEGAUGE_TEST_VOLUME is not set";
        letter_ = letter[0];
    }

    // The volume takes new figures when the writer closes its figures file.
    void SetFigures(const Volume& volume) {
        std::ofstream file(Path("figures"), std::ios::binary | std::ios::trunc);
        file << volume.total << ' ' << volume.free;
        file.close();
        ASSERT_TRUE(file) << "cannot write " << Path("figures");
        std::int64_t total = 0;
        std::int64_t free = 0;
        ASSERT_TRUE(QueryDiskSpace(Path(""), total, free));
        ASSERT_EQ(total, volume.total) << "the volume did not take figures " << volume.name;
        ASSERT_EQ(free, volume.free) << "the volume did not take figures " << volume.name;
    }

    std::string Path(const std::string& rest) const {
        return std::string(1, letter_) + ":\\" + rest;
    }

    char letter_ = 0;
};

TEST_F(TestVolume, QueryAsksAboutThePathsDirectory) {
    ASSERT_NO_FATAL_FAILURE(SetFigures(kVolumeC));
    const struct {
        std::string path;
        bool found;
    } cases[] = {
        {Path(""), true},
        {Path("figures"), true},
        {std::string(1, letter_) + ":", true},
        {Path("no\\such\\file"), false},  // a directory that does not exist
    };
    for (const auto& c : cases) {
        std::int64_t total = -1;
        std::int64_t free = -1;
        EXPECT_EQ(QueryDiskSpace(c.path, total, free), c.found) << c.path;
        EXPECT_EQ(total, c.found ? kVolumeC.total : -1) << c.path;
        EXPECT_EQ(free, c.found ? kVolumeC.free : -1) << c.path;
    }
}

TEST_F(TestVolume, ExpansionFollowsTheFiguresOfEachQuery) {
    for (const Volume& volume : {kVolumeB, kVolumeC, kFull, kVolumeB}) {
        ASSERT_NO_FATAL_FAILURE(SetFigures(volume));
        EXPECT_EQ(ExpandLabel(kAllFigures, letter_), WithSeparator(volume.expanded)) << volume.name;
    }
}

TEST_F(TestVolume, DriveLetterOfEitherCase) {
    ASSERT_NO_FATAL_FAILURE(SetFigures(kVolumeB));
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter_)));
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter_)));
    EXPECT_EQ(ExpandLabel("C: $up%", lower), "C: 82%");
    EXPECT_EQ(ExpandLabel("C: $up%", upper), "C: 82%");
}

TEST_F(TestVolume, ClusterSubstituteGivesTheSameFigures) {
    ASSERT_NO_FATAL_FAILURE(SetFigures(kVolumeB));
    ULARGE_INTEGER freeToCaller{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    ASSERT_TRUE(DiskFreeSpaceFromClusters(Path("").c_str(), &freeToCaller, &total, &totalFree));
    EXPECT_EQ(total.QuadPart, static_cast<ULONGLONG>(kVolumeB.total));
    EXPECT_EQ(freeToCaller.QuadPart, static_cast<ULONGLONG>(kVolumeB.free));
    EXPECT_EQ(totalFree.QuadPart, static_cast<ULONGLONG>(kVolumeB.free));
}

// Needs no test volume: any letter Windows does not know will do.
char UnmappedLetter() {
    const DWORD mapped = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'D'; --letter) {
        if (!(mapped & (1u << (letter - 'A')))) return letter;
    }
    return 0;
}

TEST(MissingDrive, QueryFailsAndLeavesFiguresAlone) {
    const char letter = UnmappedLetter();
    ASSERT_NE(letter, 0);
    std::int64_t total = 7;
    std::int64_t free = 7;
    EXPECT_FALSE(QueryDiskSpace(std::string(1, letter) + ":\\", total, free));
    EXPECT_EQ(total, 7);
    EXPECT_EQ(free, 7);
}

TEST(MissingDrive, EveryGigabytePlaceholderPrintsZero) {
    const char letter = UnmappedLetter();
    ASSERT_NE(letter, 0);
    EXPECT_EQ(ExpandLabel("$tgb. $tgb $ugb. $ugb $rgb. $rgb", letter), "0 0 0 0 0 0");
    EXPECT_EQ(ExpandLabel("", letter), "");
    EXPECT_EQ(ExpandLabel("no placeholders", letter), "no placeholders");
}

}  // namespace
}  // namespace spacegauge
