#include "wine_test_support.h"

#include <tlhelp32.h>

#include <fstream>
#include <sstream>

namespace refhost {

void PluginTest::SetUp() {
    DeleteFileA(SettingsPath().c_str());
    gdiplus_ = std::make_unique<GdiplusSession>();
    boxes_ = std::make_unique<MessageBoxWatcher>();
    host_ = std::make_unique<ReferenceHost>();
    ASSERT_TRUE(host_->loaded()) << "Spacegauge.dll did not load";
}

void PluginTest::TearDown() {
    host_.reset();  // finalizes and unloads
    boxes_.reset();
    gdiplus_.reset();
    DeleteFileA(SettingsPath().c_str());
}

void PluginTest::InitAndCreate(InstanceId id, std::int32_t index, HostRect rect) {
    ASSERT_TRUE(host().Initialize().ok());
    host().SetInstance(id, index, rect);
    ASSERT_TRUE(host().Create(id).ok());
}

std::string PluginTest::PluginFolderA() {
    return ToUtf8(ReferenceHost::PluginFolder());
}
std::string PluginTest::SettingsPath() {
    return PluginFolderA() + "settings.ini";
}
std::string PluginTest::DefaultIconPath() {
    return PluginFolderA() + "default.png";
}

void PluginTest::WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string PluginTest::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool PluginTest::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int ThreadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

}  // namespace refhost
