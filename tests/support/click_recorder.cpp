// Opened by the click tests through the shell: writes the command line it was started with,
// then each argument as the C runtime split it, to click_recorder.log beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string log(path, n);
    log = log.substr(0, log.find_last_of('\\') + 1) + "click_recorder.log";
    FILE* f = std::fopen(log.c_str(), "wb");
    if (!f) return 1;
    std::fprintf(f, "cmdline=%s\n", GetCommandLineA());
    for (int i = 1; i < argc; ++i) std::fprintf(f, "arg=%s\n", argv[i]);
    std::fclose(f);
    return 0;
}
