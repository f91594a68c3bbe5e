#include "settings/ini_file.h"

#include <windows.h>

#include "host/exception.h"
#include "settings/text_forms.h"

namespace spacegauge {

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

TIniFile::~TIniFile() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str());
}

std::string TIniFile::ReadString(const std::string& section, const char* key,
                                 const std::string& fallback) const {
    char buffer[2048];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key, fallback.c_str(), buffer,
                                             sizeof buffer, fileName_.c_str());
    return std::string(buffer, n);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const char* key,
                                   std::int32_t fallback) const {
    return IniIntegerFromText(ReadString(section, key, ""), fallback);
}

bool TIniFile::ReadBool(const std::string& section, const char* key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const char* key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key, value.c_str(), fileName_.c_str()))
        throw Exception("Unable to write to " + fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const char* key, std::int32_t value) {
    WriteString(section, key, DecimalText(value));
}

void TIniFile::WriteBool(const std::string& section, const char* key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace spacegauge
