#pragma once
// Picture view: a static control that shows one picture, scaled to fit and centred, keeping
// its proportions. GDI+ must be running (the host starts it).
#include <windows.h>

#include <string>

namespace spacegauge {

void AttachPictureView(HWND control);

// The picture's format follows the file's extension. Throws Exception when the file cannot be
// shown; the view is then empty.
void LoadPicture(HWND view, const std::wstring& fileName);

void ClearPicture(HWND view);

// Where a picture of that size goes in a box: as large as fits, centred.
RECT FitPicture(int pictureWidth, int pictureHeight, const RECT& box);

}  // namespace spacegauge
