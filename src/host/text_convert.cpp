#include "host/text_convert.h"

namespace spacegauge {

std::wstring AnsiToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::string WideToAnsi(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string ansi(n, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), ansi.data(), n, nullptr,
                        nullptr);
    return ansi;
}

}  // namespace spacegauge
