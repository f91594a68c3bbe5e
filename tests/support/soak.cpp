// A long run, as a dock keeps a docklet for weeks: draws instance 1 over and over while the
// settings file is rewritten underneath, the volume's free space moves, and a second instance
// is created again and again. Reports the process's resources at the start, after warm-up and
// at the end, and fails on a crash, a failed draw, a message box, a redraw request for an
// instance the host never created, or growth beyond generous bounds.
//
//   soak.exe [--seconds N] [--volume LETTER] [--unmasked-fp]
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host_harness.h"
#include "msgbox_watcher.h"

using namespace refhost;

namespace {

constexpr std::int64_t kMaxPrivateGrowth = 20 * 1024 * 1024;
constexpr long kMaxHandleGrowth = 50;
constexpr long kMaxGuiObjectGrowth = 50;
constexpr DWORD kRewriteMs = 200;
constexpr DWORD kFiguresMs = 3000;
constexpr DWORD kRecreateMs = 2000;

struct Options {
    int seconds = 600;
    char volume = 0;  // drive letter of an exact-figure volume, or none
    bool unmaskedFloatingPoint = false;
};

struct Usage {
    std::int64_t privateBytes = 0;
    long handles = 0;
    long gdiObjects = 0;
    long userObjects = 0;
};

// Wine leaves these at 0: PrivateUsage (PagefileUsage holds the same figure there, as it does
// on Windows), GetProcessHandleCount and GetGuiResources. The fallbacks below count what Wine
// does keep: the system handle table, its per-process GDI handle table and the windows.
struct SystemHandle {
    ULONG process;
    BYTE type, flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

long HandlesInSystemTable() {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = LONG(0xC0000004);
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const LONG status =
            query(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return 0;
        break;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandle*>(buffer.data() + sizeof(ULONG_PTR));
    long mine = 0;
    for (ULONG i = 0; i < count; ++i) mine += entries[i].process == GetCurrentProcessId();
    return mine;
}

long GdiHandleTableEntries() {
    struct Entry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint16_t unique;
        std::uint8_t type, flags;
        std::uint64_t user;
    };
    constexpr std::size_t kGdiSharedHandleTable = 0xF8;  // in the x64 PEB
    const auto* peb = reinterpret_cast<const char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + kGdiSharedHandleTable);
    if (!table) return 0;
    long used = 0;
    for (int i = 0; i < 0x10000; ++i) used += table[i].type != 0;
    return used;
}

long WindowsOfThisProcess() {
    long count = 0;
    const auto visit = [](HWND window, LPARAM param) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) return TRUE;
        auto* n = reinterpret_cast<long*>(param);
        ++*n;
        EnumChildWindows(
            window, [](HWND, LPARAM p) -> BOOL { return ++*reinterpret_cast<long*>(p), TRUE; },
            param);
        return TRUE;
    };
    EnumWindows(visit, reinterpret_cast<LPARAM>(&count));
    return count;
}

Usage Measure() {
    Usage usage;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        usage.privateBytes =
            std::int64_t(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    usage.handles = handles ? long(handles) : HandlesInSystemTable();
    const long gdi = long(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    usage.gdiObjects = gdi ? gdi : GdiHandleTableEntries();
    const long user = long(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    usage.userObjects = user ? user : WindowsOfThisProcess();
    return usage;
}

void PrintUsage(const char* when, const Usage& u, long long draws, double seconds) {
    std::printf("%-9s t=%6.1fs draws=%-7lld private=%7.2f MB handles=%-4ld gdi=%-4ld user=%ld\n",
                when, seconds, draws, double(u.privateBytes) / (1024.0 * 1024.0), u.handles,
                u.gdiObjects, u.userObjects);
    std::fflush(stdout);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::printf("CRASH: exception 0x%08lX at %p\n", info->ExceptionRecord->ExceptionCode,
                info->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    ExitProcess(3);
}

std::string SettingsText(bool variant, char drive) {
    const std::string keys = std::string("LabelColor=") + (variant ? "$000000FF" : "clWhite") +
                             "\r\nLabelText=" + (variant ? "$rgb.$lb$rp.%" : "$rgb.") +
                             "\r\nOutlineColor=" + (variant ? "clNavy" : "$00A6671A") +
                             "\r\nDrive=" + drive +
                             "\r\nUpdate=1\r\nCommand=\r\nDockletCaption=$rgb. of $tgb. GB\r\n";
    return "[Spacegauge1]\r\n" + keys + "[Spacegauge2]\r\n" + keys;
}

// Replaces the whole file at once, as editors save, so a read sees the old or the new text.
bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".soak";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out) return false;
    }
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        Sleep(2);
    }
    DeleteFileA(temporary.c_str());
    return false;
}

// The host's surroundings changing while it draws: the settings file every 200 ms and the
// volume's free space every few seconds, on a thread of their own.
class Surroundings {
  public:
    Surroundings(std::string settingsPath, char volume)
        : settingsPath_(std::move(settingsPath)), volume_(volume) {
        ReplaceFileContent(settingsPath_, SettingsText(false, Drive()));
        if (volume_) {
            ULARGE_INTEGER free{}, total{};
            if (GetDiskFreeSpaceExA(Root().c_str(), &free, &total, nullptr)) {
                originalTotal_ = std::int64_t(total.QuadPart);
                originalFree_ = std::int64_t(free.QuadPart);
            }
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~Surroundings() { Stop(); }
    Surroundings(const Surroundings&) = delete;
    Surroundings& operator=(const Surroundings&) = delete;

    void Stop() {
        if (!thread_.joinable()) return;
        stop_ = true;
        thread_.join();
        if (originalTotal_ > 0) WriteFigures(originalTotal_, originalFree_);
    }
    char Drive() const { return volume_ ? volume_ : 'c'; }
    long rewrites() const { return rewrites_; }
    long failedRewrites() const { return failedRewrites_; }
    long figureChanges() const { return figureChanges_; }

  private:
    std::string Root() const { return std::string(1, volume_) + ":\\"; }

    void WriteFigures(std::int64_t total, std::int64_t free) {
        std::ofstream out(Root() + "figures", std::ios::binary | std::ios::trunc);
        out << total << ' ' << free;
    }

    void Run() {
        bool variant = false;
        ULONGLONG nextFigures = GetTickCount64() + kFiguresMs;
        std::int64_t step = 0;
        while (!stop_) {
            Sleep(kRewriteMs);
            variant = !variant;
            if (ReplaceFileContent(settingsPath_, SettingsText(variant, Drive())))
                ++rewrites_;
            else
                ++failedRewrites_;
            if (originalTotal_ > 0 && GetTickCount64() >= nextFigures) {
                nextFigures += kFiguresMs;
                // Free space walks through 37 values, each a whole number of 4096-byte units.
                step = (step + 1) % 37;
                WriteFigures(originalTotal_, originalTotal_ / 4096 * step / 37 * 4096);
                ++figureChanges_;
            }
        }
    }

    const std::string settingsPath_;
    const char volume_;
    std::int64_t originalTotal_ = 0;
    std::int64_t originalFree_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long> rewrites_{0};
    std::atomic<long> failedRewrites_{0};
    std::atomic<long> figureChanges_{0};
    std::thread thread_;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            options.seconds = std::atoi(argv[++i]);
        } else if (arg == "--volume" && i + 1 < argc) {
            options.volume = argv[++i][0];
        } else if (arg == "--unmasked-fp") {
            options.unmaskedFloatingPoint = true;
        } else {
            return false;
        }
    }
    return options.seconds > 0;
}

int Run(const Options& options) {
    // The window system's one-time setup on this thread first: started by the watcher thread
    // while LoadLibrary holds the loader lock, it can deadlock Wine.
    GetDesktopWindow();
    EnumWindows([](HWND, LPARAM) -> BOOL { return FALSE; }, 0);
    GdiplusSession gdiplus;
    MessageBoxWatcher boxes;
    ReferenceHost host;
    if (options.unmaskedFloatingPoint) {
        host.Unload();
        host.SetUnmaskedFloatingPoint(true);
        host.Load();
    }
    if (!host.loaded()) {
        std::printf("FAIL: cannot load the plug-in\n");
        return 2;
    }
    const std::string settingsPath = ToUtf8(ReferenceHost::PluginFolder()) + "settings.ini";
    Surroundings surroundings(settingsPath, options.volume);
    std::printf("soak: %d s, drive %c%s, settings rewritten every %lu ms\n", options.seconds,
                surroundings.Drive(),
                options.unmaskedFloatingPoint ? ", FP exceptions unmasked" : "", kRewriteMs);

    const ULONGLONG begin = GetTickCount64();
    const auto elapsed = [begin] { return double(GetTickCount64() - begin) / 1000.0; };
    int failures = 0;
    const auto fail = [&failures](const char* what) {
        if (++failures <= 10) std::printf("FAIL: %s\n", what);
    };

    if (!host.Initialize().ok()) fail("Q_Initialization returned false");
    host.SetInstance(1, 1);
    host.SetInstance(2, 2);
    if (!host.Create(1).ok()) fail("Q_OnCreate returned false");
    const Usage start = Measure();
    PrintUsage("start", start, 0, elapsed());

    long long draws = 0, redrawRequests = 0, unknownRedraws = 0, recreations = 0;
    const auto checkCalls = [&] {
        for (const ServiceCall& call : host.TakeCalls()) {
            if (call.service != "HostRequestRedraw") continue;
            ++redrawRequests;
            if (call.id != 1 && call.id != 2) ++unknownRedraws;
        }
    };
    // Warm-up: caches of the system's libraries fill during the first seconds.
    const double warmUpSeconds = options.seconds < 100 ? options.seconds / 10.0 : 10.0;
    bool warmedUp = false;
    Usage warm;
    long long warmDraws = 0;
    const ULONGLONG deadline = begin + ULONGLONG(options.seconds) * 1000;
    ULONGLONG nextRecreate = begin + kRecreateMs;
    while (GetTickCount64() < deadline) {
        HandlerResult result;
        {
            HostBitmap bitmap = host.Draw(1, &result);
            if (!result.ok()) fail("Q_OnDraw returned false");
            if (!bitmap) fail("Q_OnDraw left no bitmap");
        }
        ++draws;
        host.Pump(1);
        if (GetTickCount64() >= nextRecreate) {
            nextRecreate += kRecreateMs;
            if (!host.Create(2).ok()) fail("Q_OnCreate of instance 2 returned false");
            ++recreations;
        }
        if (draws % 256 == 0) checkCalls();
        if (!warmedUp && elapsed() >= warmUpSeconds) {
            warmedUp = true;
            warm = Measure();
            warmDraws = draws;
            PrintUsage("warm-up", warm, draws, elapsed());
        }
    }
    surroundings.Stop();
    DeleteFileA(settingsPath.c_str());  // the next user of the folder starts from defaults
    host.Pump(50);
    checkCalls();
    const Usage end = Measure();
    PrintUsage("end", end, draws, elapsed());
    if (!host.Finalize().ok()) fail("Q_Finalization returned false");
    host.Unload();
    checkCalls();
    const Usage unloaded = Measure();
    PrintUsage("unloaded", unloaded, draws, elapsed());

    const double seconds = elapsed();
    std::printf(
        "draws %lld (%.1f/s), redraws served %d, redraw requests %lld, instance 2 created %lld "
        "times\nsettings rewrites %ld (%ld refused), volume figure changes %ld, message boxes "
        "%zu\n",
        draws, double(draws) / seconds, host.redrawsServed(), redrawRequests, recreations + 1,
        surroundings.rewrites(), surroundings.failedRewrites(), surroundings.figureChanges(),
        boxes.Boxes().size());
    std::printf(
        "growth after warm-up (%lld draws): private %+.2f MB, handles %+ld, gdi %+ld, "
        "user %+ld\n",
        draws - warmDraws, double(end.privateBytes - warm.privateBytes) / (1024.0 * 1024.0),
        end.handles - warm.handles, end.gdiObjects - warm.gdiObjects,
        end.userObjects - warm.userObjects);

    if (unknownRedraws > 0) fail("a redraw request named an instance the host never created");
    for (const SeenBox& box : boxes.Boxes())
        std::printf("message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    if (!boxes.Boxes().empty()) fail("message boxes appeared");
    for (const FloatingPointFault& f : host.FloatingPointFaults())
        std::printf("floating-point exception 0x%08lX in %s during %s\n", f.code, f.module.c_str(),
                    f.during.c_str());
    if (!host.FloatingPointFaults().empty()) fail("floating-point exceptions");
    if (!warmedUp) fail("the run ended before warm-up");
    if (end.privateBytes - warm.privateBytes > kMaxPrivateGrowth)
        fail("private bytes grew beyond 20 MB");
    if (end.handles - warm.handles > kMaxHandleGrowth) fail("handles grew beyond 50");
    if (end.gdiObjects - warm.gdiObjects > kMaxGuiObjectGrowth ||
        end.userObjects - warm.userObjects > kMaxGuiObjectGrowth)
        fail("GDI or USER objects grew beyond 50");
    if (unloaded.handles > start.handles + kMaxHandleGrowth)
        fail("handles left behind after unloading");
    std::printf("%s\n", failures == 0 ? "soak: OK" : "soak: FAILED");
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(&ReportCrash);
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // figures reach a pipe as they are printed
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: soak.exe [--seconds N] [--volume LETTER] [--unmasked-fp]\n");
        return 2;
    }
    return Run(options);
}
