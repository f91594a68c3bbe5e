#include "label/volume_path.h"

#include <gtest/gtest.h>

namespace spacegauge {
namespace {

TEST(QueryDirectory, KeepsDirectoryAndEndsInBackslash) {
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"c:\\", "c:\\"},
        {"C:\\Data\\x.txt", "C:\\Data\\"},
        {"C:\\Data\\", "C:\\Data\\"},
        {"C:", "C:\\"},
        {"C:x.txt", "C:\\"},
        {"", "\\"},
        {"x.txt", "\\"},
        {"\\\\server\\share\\dir\\file", "\\\\server\\share\\dir\\"},
        {"C:\\a:b", "C:\\a:\\"},  // a later ':' wins over an earlier '\'
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QueryDirectory(c.path), c.expected) << "path " << c.path;
    }
}

}  // namespace
}  // namespace spacegauge
