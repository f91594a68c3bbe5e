#pragma once
// A contact sheet of docklets drawn by the real plug-in: several sizes, the nine label
// positions, colour pairs and templates, each over a light and a dark tile, in one PNG.
#include <string>

#include "host_harness.h"

namespace refhost {

struct GalleryResult {
    int cells = 0;
    int failed = 0;  // cells whose draw returned false or handed over no bitmap
    bool saved = false;
};

// Gives every cell an instance and a section of its own in settings.ini, which holds only the
// gallery's sections while it draws and is put back as it was afterwards. Initialises the
// plug-in when needed and then finalises it again.
GalleryResult RenderGallery(ReferenceHost& host, const std::wstring& pngPath);

}  // namespace refhost
