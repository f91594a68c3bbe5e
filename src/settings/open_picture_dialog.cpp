#include "settings/open_picture_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "host/exception.h"
#include "settings/ansi_text.h"
#include "settings/dialog_handles.h"
#include "settings/picture_view.h"
#include "settings/visual_styles.h"

namespace spacegauge {
namespace {

// Long enough for any path the ANSI functions can name.
constexpr DWORD kFileNameCapacity = 32768;

constexpr WORD kStandardControlsId = 0x045F;  // stc32: where the dialog puts its own controls
constexpr WORD kPreviewId = 1200;
constexpr WORD kStaticClass = 0x0082;
constexpr short kPreviewSize = 96;  // dialog units

std::string FilterForSystem(std::string_view filter) {
    std::string result(filter);
    std::replace(result.begin(), result.end(), '\n', '\0');
    result.append(2, '\0');
    return result;
}

// Dialog templates in memory: words, with DWORD alignment before the header and each item.
class TemplateWriter {
  public:
    void Header(DWORD style, WORD items, short width, short height) {
        DLGTEMPLATE header{style, 0, items, 0, 0, width, height};
        Append(&header, sizeof(header));
        words_.insert(words_.end(), {0, 0, 0});  // no menu, the dialog class, no title
    }
    void Item(DWORD style, DWORD exStyle, short x, short y, short width, short height, WORD id,
              WORD classAtom) {
        if (words_.size() % 2) words_.push_back(0);
        DLGITEMTEMPLATE item{style, exStyle, x, y, width, height, id};
        Append(&item, sizeof(item));
        words_.insert(words_.end(), {0xFFFF, classAtom, 0, 0});  // class, no title, no data
    }
    // DWORD-aligned, as the dialog functions require.
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void Append(const void* data, std::size_t size) {
        const auto* begin = static_cast<const WORD*>(data);
        words_.insert(words_.end(), begin, begin + size / sizeof(WORD));
    }
    std::vector<WORD> words_;
};

// The preview right of the standard controls' place (stc32). Controls right of that place
// are moved past the standard controls, those below it below them; the template's height
// beyond it is added to the dialog's, so it has none.
TemplateWriter PreviewTemplate() {
    constexpr short kMargin = 5;
    constexpr short kHeight = kPreviewSize + 2 * kMargin;
    TemplateWriter writer;
    writer.Header(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK | DS_CONTROL, 2,
                  kPreviewSize + 2 * kMargin, kHeight);
    writer.Item(WS_CHILD, 0, 0, 0, 1, kHeight, kStandardControlsId, kStaticClass);
    writer.Item(WS_CHILD | WS_VISIBLE | SS_LEFT, WS_EX_STATICEDGE, kMargin, kMargin, kPreviewSize,
                kPreviewSize, kPreviewId, kStaticClass);
    return writer;
}

void ShowPreview(HWND child) {
    const HWND preview = GetDlgItem(child, kPreviewId);
    ClearPicture(preview);
    std::vector<char> path(kFileNameCapacity, '\0');
    if (SendMessageA(GetParent(child), CDM_GETFILEPATH, path.size(),
                     reinterpret_cast<LPARAM>(path.data())) <= 0) {
        return;
    }
    const DWORD attributes = GetFileAttributesA(path.data());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    try {
        LoadPicture(preview, WideText(path.data()));
    } catch (const Exception&) {
        // A file that is no picture simply has no preview.
    }
}

UINT_PTR CALLBACK PreviewHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        AttachPictureView(GetDlgItem(child, kPreviewId));
    } else if (message == WM_NOTIFY) {
        const UINT code = reinterpret_cast<const OFNOTIFYA*>(lParam)->hdr.code;
        if (code == CDN_INITDONE || code == CDN_SELCHANGE) ShowPreview(child);
    }
    return 0;
}

}  // namespace

bool ExecuteOpenPictureDialog(OpenPictureDialog& dialog, HWND owner) {
    std::vector<char> fileName(kFileNameCapacity, '\0');
    std::copy_n(dialog.fileName.begin(),
                std::min<std::size_t>(dialog.fileName.size(), kFileNameCapacity - 1),
                fileName.begin());
    const std::string filter = FilterForSystem(dialog.filter);
    const TemplateWriter preview = PreviewTemplate();
    OPENFILENAMEA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.hInstance = reinterpret_cast<HINSTANCE>(const_cast<DLGTEMPLATE*>(preview.get()));
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = fileName.data();
    request.nMaxFile = kFileNameCapacity;
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_ENABLEHOOK |
                    OFN_ENABLETEMPLATEHANDLE;
    request.lpfnHook = &PreviewHook;
    const ScopedActivation styles(VisualStylesContext());
    if (!GetOpenFileNameA(&request)) return false;
    dialog.fileName = fileName.data();
    return true;
}

}  // namespace spacegauge
