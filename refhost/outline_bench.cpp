// How long one draw takes, with and without the outline and at growing outline widths, against
// the literal pass-by-pass drawing. Scenarios take turns, round after round, so that a busy
// machine slows them alike; prints for each the median over the rounds, the fastest and the
// slowest, then the ratios the outline aims at.
// Not a test: nothing here passes or fails. It shares the plug-in folder (and its settings
// file) with wine_tests, so run it alone: scripts/bench.sh [rounds].
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host_harness.h"
#include "pass_by_pass_reference.h"

namespace {

using refhost::DockletPicture;
using refhost::HostBitmap;
using refhost::ReferenceHost;

struct Scenario {
    const char* name;
    std::function<void()> run;
    int every = 1;  // runs in every n-th round only (the slow ones)
    std::vector<double> ms;
    std::vector<int> rounds;  // the round of each figure
};

double Milliseconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Ratio(const char* name, double value, const char* target) {
    std::printf("%s = %.2f", name, value);
    if (target) {
        const bool atMost = target[0] == '<';
        const double bound = std::atof(target + 2);
        std::printf(" (target %s: %s)", target,
                    (atMost ? value <= bound : value >= bound) ? "met" : "NOT met");
    }
    std::printf("\n");
}

std::string SettingsPath() {
    return refhost::ToUtf8(ReferenceHost::PluginFolder()) + "settings.ini";
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    refhost::GdiplusSession gdiplus;
    // One instance per setting, so no draw waits for the settings file to change: the
    // defaults (a 24-point label over the default icon, outline width 1) but for these keys.
    std::ofstream(SettingsPath(), std::ios::binary | std::ios::trunc)
        << "[Spacegauge1]\r\n[Spacegauge2]\r\nDrawOutline=0\r\n[Spacegauge3]\r\nOutlineWidth=10\r\n"
           "[Spacegauge4]\r\nOutlineWidth=50\r\n";
    {
        ReferenceHost host;
        if (!host.loaded() || !host.Initialize().ok()) {
            std::fprintf(stderr, "the plug-in did not load or initialise\n");
            return 1;
        }
        for (int id = 1; id <= 4; ++id) host.SetInstance(id, id, {0, 0, 128, 128});
        host.Create(1);
        const auto draw = [&host](int id) {
            return [&host, id] {
                if (!host.Draw(id)) std::fprintf(stderr, "no bitmap\n");
            };
        };

        // The same picture drawn literally, without the settings read, label expansion and
        // caption that every plug-in draw includes.
        const auto picture = [](bool outline, int width) {
            DockletPicture p;
            p.iconPath = ReferenceHost::PluginFolder() + L"default.png";
            p.label = L"C: 75%";
            p.drawOutline = outline;
            p.outlineWidth = width;
            return p;
        };
        const auto passByPass = [](DockletPicture p) {
            return [p] { HostBitmap bitmap = refhost::DrawPassByPass(p); };
        };
        // The pass-by-pass plug-in as it was: today's draw without outline (settings, label,
        // icon, label pass) plus the outline passes, each with its own font and measurement.
        const auto oldPlugin = [&host, picture](int width) {
            return [&host, p = picture(true, width)] {
                HostBitmap bitmap = host.Draw(2);
                if (bitmap) refhost::DrawOutlinePasses(bitmap.get(), p);
            };
        };

        std::vector<Scenario> scenarios = {
            {"draw_w1_ms", draw(1)},
            {"draw_off_ms", draw(2)},
            {"draw_w10_ms", draw(3)},
            {"draw_w50_ms", draw(4)},
            {"passbypass_off_ms", passByPass(picture(false, 0))},
            {"passbypass_w1_ms", passByPass(picture(true, 1))},
            {"passbypass_w10_ms", passByPass(picture(true, 10)), 4},
            {"oldplugin_w10_ms", oldPlugin(10), 4},
        };
        for (Scenario& s : scenarios) s.run();  // the first run pays for loading and caches
        for (int round = 0; round < rounds; ++round) {
            for (Scenario& s : scenarios) {
                if (round % s.every != 0) continue;
                s.ms.push_back(Milliseconds(s.run));
                s.rounds.push_back(round);
            }
        }

        std::printf("128 x 128 docklet, default settings unless named; %d rounds\n", rounds);
        std::vector<double> median;
        for (const Scenario& s : scenarios) {
            median.push_back(Median(s.ms));
            std::printf("%s median=%.3f min=%.3f max=%.3f runs=%zu\n", s.name, median.back(),
                        *std::min_element(s.ms.begin(), s.ms.end()),
                        *std::max_element(s.ms.begin(), s.ms.end()), s.ms.size());
        }
        const double w1 = median[0], off = median[1], w10 = median[2], w50 = median[3];
        const double ref10 = median[6], old10 = median[7];

        // 10,201 passes: once, and only when the width-10 figure says it ends within a minute.
        if (const double estimate = ref10 / 441 * 10201; estimate <= 60000) {
            const double ms = Milliseconds(passByPass(picture(true, 50)));
            std::printf("passbypass_w50_ms single=%.3f\n", ms);
            Ratio("ratio_passbypass_w50_over_draw_w50", ms / w50, nullptr);
        } else {
            std::printf("passbypass_w50_ms skipped (estimated %.0f ms)\n", estimate);
        }
        Ratio("ratio_w50_over_w1", w50 / w1, "<= 3");
        Ratio("ratio_w1_over_off", w1 / off, "<= 1.3");
        Ratio("ratio_passbypass_w10_over_draw_w10", ref10 / w10, ">= 20");
        Ratio("ratio_oldplugin_w10_over_draw_w10", old10 / w10, nullptr);

        // The outline's own share: with and without it, taken in the same round.
        const auto extra = [](const Scenario& with, const Scenario& without) {
            std::vector<double> d;
            for (std::size_t i = 0; i < with.ms.size(); ++i) {
                const auto at =
                    std::find(without.rounds.begin(), without.rounds.end(), with.rounds[i]);
                d.push_back(with.ms[i] - without.ms[at - without.rounds.begin()]);
            }
            return Median(d);
        };
        const double newOutline = extra(scenarios[2], scenarios[1]);
        const double oldOutline = extra(scenarios[6], scenarios[4]);
        std::printf("outline_w10_extra_ms draw=%.3f passbypass=%.3f\n", newOutline, oldOutline);
        if (newOutline > 0)
            Ratio("ratio_outline_w10_extra_passbypass_over_draw", oldOutline / newOutline, nullptr);
    }
    DeleteFileA(SettingsPath().c_str());
    return 0;
}
