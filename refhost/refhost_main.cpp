// The reference host's command line: runs a scenario of steps against the plug-in and logs
// every host service call. With no steps it runs the main job: one default docklet drawn at
// 128 x 128 into docklet.png.
//
//   refhost.exe [--test] [--quiet] step...
//     init | finalize | unload | magic | stackcheck
//     create:ID[:INDEX]            instance ID, HostGetInstanceIndex answers INDEX (default ID)
//     rect:ID:WxH                  the rectangle HostGetRect reports for ID
//     draw:ID:FILE.png             draw and save the bitmap
//     click[:ARG] | edit:ID | stub2 | stub5 | stub6
//     wait:MS                      serve redraw requests for MS milliseconds
//     gallery:FILE.png             a sheet of docklets in many sizes, positions, colours and
//                                  templates, over light and dark tiles
//     window[:SECONDS[:ID]]        shows instance ID (default 1) in a window on the desktop;
//                                  initialises and creates it first when no step did
//   --test  answers every message box with OK and logs it instead of waiting for a person.
//   --screenshot FILE.png  the window step saves the window as a desktop would show it.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gallery.h"
#include "host_harness.h"
#include "msgbox_watcher.h"
#include "png_writer.h"
#include "window_mode.h"

using namespace refhost;

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
    return parts;
}

void PrintCalls(ReferenceHost& host, std::size_t& printed) {
    const auto calls = host.Calls();
    for (; printed < calls.size(); ++printed) {
        const ServiceCall& c = calls[printed];
        std::printf("  %s%s", c.service.c_str(), c.onHostThread ? "" : " [other thread]");
        if (c.service == "HostSetPluginName" || c.service == "HostSetCaption")
            std::printf(c.nullText ? " (null)" : " \"%s\"", c.text.c_str());
        if (c.service == "HostSetFlag") std::printf(" %llu", (unsigned long long)c.value);
        if (c.service != "HostSetPluginName" && c.service != "HostSetFlag")
            std::printf(" id=%llu", (unsigned long long)c.id);
        std::printf("%s\n", c.contextOk ? "" : " WRONG CONTEXT");
    }
}

struct Options {
    bool testMode = false;
    std::string screenshot;
};

int Run(const std::vector<std::string>& steps, const Options& options) {
    GdiplusSession gdiplus;
    std::unique_ptr<MessageBoxWatcher> watcher;
    if (options.testMode) watcher = std::make_unique<MessageBoxWatcher>(true);
    ReferenceHost host;
    if (!host.loaded()) {
        std::fprintf(stderr, "cannot load %s\n",
                     ToUtf8(ReferenceHost::PluginFolder() + L"Spacegauge.dll").c_str());
        return 2;
    }
    std::size_t printed = 0;
    int failures = 0;
    for (const std::string& step : steps) {
        const auto part = Split(step, ':');
        const std::string& verb = part[0];
        const auto id = [&](std::size_t i) {
            return InstanceId(part.size() > i ? std::stoull(part[i]) : 1);
        };
        std::printf("%s\n", step.c_str());
        HandlerResult result;
        if (verb == "init") {
            result = host.Initialize();
        } else if (verb == "finalize") {
            const ULONGLONG start = GetTickCount64();
            result = host.Finalize();
            std::printf("  finalize took %llu ms\n", GetTickCount64() - start);
        } else if (verb == "unload") {
            host.Unload();
            result.raw = 1;
        } else if (verb == "magic") {
            result = host.MagicId();
            std::printf("  magic id 0x%04X\n", unsigned(result.raw & 0xFFFF));
        } else if (verb == "stackcheck") {
            result.raw = host.StackCheckCatchesImbalance();
            std::printf("  stack check %s\n", result.ok() ? "catches a wrong argument count"
                                                          : "MISSED a wrong argument count");
        } else if (verb == "create") {
            host.SetInstance(id(1), part.size() > 2 ? std::stoi(part[2]) : int(id(1)),
                             host.RectOf(id(1)));
            result = host.Create(id(1));
        } else if (verb == "rect" && part.size() > 2) {
            const auto size = Split(part[2], 'x');
            host.SetInstance(id(1), host.IndexOf(id(1)),
                             {0, 0, std::stoi(size.at(0)), std::stoi(size.at(1))});
            result.raw = 1;
        } else if (verb == "draw" && part.size() > 2) {
            // Windows paths carry a drive colon: the file is everything after the id.
            const std::string file = step.substr(step.find(':', 5) + 1);
            HostBitmap bitmap = host.Draw(id(1), &result);
            const bool saved = SavePng(bitmap.get(), FromUtf8(file));
            std::printf("  caption \"%s\"\n  %s %s\n", ToUtf8(host.Caption(id(1))).c_str(),
                        saved ? "saved" : "NOT SAVED", file.c_str());
            failures += !saved;
        } else if (verb == "gallery" && part.size() > 1) {
            const std::string file = step.substr(step.find(':') + 1);
            const GalleryResult gallery = RenderGallery(host, FromUtf8(file));
            std::printf("  %d docklets, %d failed\n  %s %s\n", gallery.cells, gallery.failed,
                        gallery.saved ? "saved" : "NOT SAVED", file.c_str());
            result.raw = gallery.saved && gallery.failed == 0;
            const std::size_t calls = host.Calls().size();
            std::printf("  %zu host service calls, not listed\n", calls - printed);
            printed = calls;
        } else if (verb == "window") {
            const double seconds = part.size() > 1 && !part[1].empty() ? std::stod(part[1]) : 0;
            const bool createdHere = !host.initialized();
            if (createdHere) {
                host.Initialize();
                host.SetInstance(id(2), host.IndexOf(id(2)), host.RectOf(id(2)));
                host.Create(id(2));
            }
            WindowModeOptions window;
            window.milliseconds = DWORD(seconds * 1000);
            window.screenshot = FromUtf8(options.screenshot);
            const WindowModeReport shown = RunWindowMode(host, id(2), window);
            if (createdHere) host.Finalize();
            std::printf("  %d images shown, %d clicks, %d edits\n  window title \"%s\"\n",
                        shown.images, shown.clicks, shown.edits, ToUtf8(shown.title).c_str());
            if (!options.screenshot.empty())
                std::printf("  %s %s\n", shown.screenshotSaved ? "saved" : "NOT SAVED",
                            options.screenshot.c_str());
            result.raw = shown.shown && shown.images > 0 &&
                         (options.screenshot.empty() || shown.screenshotSaved);
        } else if (verb == "click") {
            result = host.Click(part.size() > 1 ? std::stoull(part[1]) : 0);
        } else if (verb == "edit") {
            result = host.Edit(id(1));
        } else if (verb == "stub2") {
            result = host.Stub2(1, 2, 3, 4);
        } else if (verb == "stub5") {
            result = host.Stub5(1, 2, 3);
        } else if (verb == "stub6") {
            result = host.Stub6(1);
        } else if (verb == "wait") {
            host.Pump(DWORD(std::stoul(part.at(1))));
            std::printf("  %d redraws served\n", host.redrawsServed());
            result.raw = 1;
        } else {
            std::fprintf(stderr, "unknown step %s\n", step.c_str());
            return 2;
        }
        PrintCalls(host, printed);
        if (watcher)
            for (const SeenBox& box : watcher->Boxes())
                std::printf("  message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
        if (watcher) watcher->Clear();
        if (!result.ok()) {
            std::printf("  returned false\n");
            ++failures;
        }
    }
    for (const std::string& fault : host.StackFaults()) {
        std::printf("STACK FAULT: %s\n", fault.c_str());
        ++failures;
    }
    if (!host.HostBytesUntouched()) {
        std::printf("FAULT: the plug-in changed host-owned bytes of the record\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> steps;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--test")
            options.testMode = true;
        else if (arg == "--screenshot" && i + 1 < argc)
            options.screenshot = argv[++i];
        else
            steps.push_back(arg);
    }
    if (steps.empty()) {
        const std::string png = ToUtf8(ReferenceHost::HostFolder()) + "docklet.png";
        steps = {"magic",         "init",     "rect:1:128x128", "create:1:1",
                 "draw:1:" + png, "finalize", "unload"};
    }
    try {
        return Run(steps, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "refhost: %s\n", e.what());
        return 2;
    }
}
