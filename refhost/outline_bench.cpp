// How long one draw takes, with and without the outline and at growing outline widths, and how
// long the outline alone takes, against the literal pass-by-pass drawing. Scenarios take turns,
// round after round, so that a busy machine slows them alike; prints for each the median over
// the rounds, the fastest and the slowest, then the ratios the outline aims at.
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
#include <string_view>
#include <vector>

#include "host_harness.h"
#include "pass_by_pass_reference.h"
#include "render/label_passes.h"

namespace {

using refhost::DockletPicture;
using refhost::HostBitmap;
using refhost::ReferenceHost;

struct Scenario {
    const char* name;
    std::function<void()> run;
    int every = 1;  // runs in every n-th round only (the slow ones)
    std::vector<double> ms;
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

        // The outline alone, on a bitmap that holds the icon: the plug-in's way (font, one
        // measurement, coverage layer) against the passes, each with its own font and
        // measurement. Everything else a draw does is the same for both.
        HostBitmap canvas = refhost::DrawPassByPass(picture(false, 0));
        const auto outlineAlone = [&canvas, picture](int width) {
            return [&canvas, p = picture(true, width)] {
                using namespace Gdiplus::DllExports;
                spacegauge::ScopedGraphics graphics;
                GdipGetImageGraphicsContext(canvas.get(), graphics.out());
                spacegauge::ScopedBrush brush;
                GdipCreateSolidFill(0, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
                GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);
                const spacegauge::LabelLayout layout{p.label,  p.fontSize,      p.width,
                                                     p.height, p.horizontalPos, p.verticalPos};
                spacegauge::LabelFont font;
                spacegauge::MakeLabelFont(layout, font);
                double dx = 0, dy = 0;
                spacegauge::AlignLabel(graphics.get(), layout, font.font.get(), dx, dy);
                spacegauge::DrawLabelOutline(
                    graphics.get(), canvas.get(), static_cast<Gdiplus::GpSolidFill*>(brush.get()),
                    layout, font.font.get(), p.outlineWidth, 0xA6671A, dx, dy);
            };
        };
        const auto passesAlone = [&canvas, picture](int width) {
            return [&canvas, p = picture(true, width)] {
                refhost::DrawOutlinePasses(canvas.get(), p);
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
            {"outline_w1_ms", outlineAlone(1)},
            {"outline_w10_ms", outlineAlone(10)},
            {"outline_w50_ms", outlineAlone(50)},
            {"passbypass_outline_w1_ms", passesAlone(1)},
            {"passbypass_outline_w10_ms", passesAlone(10), 4},
        };
        for (Scenario& s : scenarios) s.run();  // the first run pays for loading and caches
        for (int round = 0; round < rounds; ++round) {
            for (Scenario& s : scenarios) {
                if (round % s.every != 0) continue;
                s.ms.push_back(Milliseconds(s.run));
            }
        }

        std::printf("128 x 128 docklet, default settings unless named; %d rounds\n", rounds);
        for (const Scenario& s : scenarios) {
            std::printf("%s median=%.3f min=%.3f max=%.3f runs=%zu\n", s.name, Median(s.ms),
                        *std::min_element(s.ms.begin(), s.ms.end()),
                        *std::max_element(s.ms.begin(), s.ms.end()), s.ms.size());
        }
        const auto median = [&scenarios](std::string_view name) {
            return Median(
                std::find_if(scenarios.begin(), scenarios.end(), [name](const Scenario& s) {
                    return s.name == name;
                })->ms);
        };
        const double w50 = median("draw_w50_ms"), w10 = median("draw_w10_ms");
        const double ref10 = median("passbypass_w10_ms");

        // 10,201 passes: once, and only when the width-10 figure says it ends within a minute.
        if (const double estimate = ref10 / 441 * 10201; estimate <= 60000) {
            const double ms = Milliseconds(passByPass(picture(true, 50)));
            std::printf("passbypass_w50_ms single=%.3f\n", ms);
            Ratio("ratio_passbypass_w50_over_draw_w50", ms / w50, nullptr);
        } else {
            std::printf("passbypass_w50_ms skipped (estimated %.0f ms)\n", estimate);
        }
        Ratio("ratio_w50_over_w1", w50 / median("draw_w1_ms"), "<= 3");
        Ratio("ratio_w1_over_off", median("draw_w1_ms") / median("draw_off_ms"), "<= 1.3");
        Ratio("ratio_passbypass_outline_w10_over_outline_w10",
              median("passbypass_outline_w10_ms") / median("outline_w10_ms"), ">= 20");
        Ratio("ratio_passbypass_outline_w1_over_outline_w1",
              median("passbypass_outline_w1_ms") / median("outline_w1_ms"), nullptr);
        // Whole pictures, where the icon, the label pass and (for the plug-in) the settings
        // read weigh the same on both sides.
        Ratio("ratio_passbypass_w10_over_draw_w10", ref10 / w10, nullptr);
        Ratio("ratio_oldplugin_w10_over_draw_w10", median("oldplugin_w10_ms") / w10, nullptr);
    }
    DeleteFileA(SettingsPath().c_str());
    return 0;
}
