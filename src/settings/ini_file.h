#pragma once
// The INI file object: every operation goes straight to the file through the Windows profile
// functions, so a change made by hand shows at the next read.
#include <cstdint>
#include <string>

namespace spacegauge {

class TIniFile {
  public:
    explicit TIniFile(std::string fileName);
    ~TIniFile();  // flushes what the profile functions may still hold for the file
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    // At most 2047 characters; a value in matching quotes comes back without them.
    std::string ReadString(const std::string& section, const char* key,
                           const std::string& fallback) const;
    std::int32_t ReadInteger(const std::string& section, const char* key,
                             std::int32_t fallback) const;
    bool ReadBool(const std::string& section, const char* key, bool fallback) const;

    // Throw Exception("Unable to write to <file>") when the file system refuses the write.
    void WriteString(const std::string& section, const char* key, const std::string& value);
    void WriteInteger(const std::string& section, const char* key, std::int32_t value);
    void WriteBool(const std::string& section, const char* key, bool value);

  private:
    std::string fileName_;
};

}  // namespace spacegauge
