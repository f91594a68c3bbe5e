#include "gallery.h"

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "png_writer.h"
#include "render/gdiplus_handles.h"

namespace refhost {
namespace {

using namespace Gdiplus::DllExports;
using spacegauge::ScopedBrush;
using spacegauge::ScopedFont;
using spacegauge::ScopedFontFamily;
using spacegauge::ScopedGraphics;
using spacegauge::ScopedImage;
using ScopedStringFormat = spacegauge::GdipObject<Gdiplus::GpStringFormat, &GdipDeleteStringFormat>;

// Far from the small numbers a scenario on the command line uses, so they never meet.
constexpr InstanceId kFirstId = 901;
constexpr std::int32_t kFirstIndex = 901;

struct Cell {
    std::wstring caption;
    int width = 128, height = 128;
    std::string settings;  // the lines of the cell's section
};

struct Section {
    std::wstring title;
    int columns = 1;
    std::vector<Cell> cells;
};

std::vector<Section> GallerySections() {
    const std::string twoLines = "LabelText=$rgb. GB free$lb$rp.% free\r\n";
    std::vector<Section> sections = {
        {L"Sizes, default settings",
         5,
         {{L"32 px", 32, 32, ""},
          {L"48 px", 48, 48, ""},
          {L"64 px", 64, 64, ""},
          {L"128 px", 128, 128, ""},
          {L"256 px", 256, 256, ""}}},
        {L"Label positions at 128 px: HorizontalPos H, VerticalPos V", 3, {}},
        {L"Label and outline colours at 128 px",
         3,
         {{L"default: $ffffff / $00A6671A", 128, 128, ""},
          {L"clBlack / clWhite", 128, 128, "LabelColor=clBlack\r\nOutlineColor=clWhite\r\n"},
          {L"clYellow / clBlack", 128, 128, "LabelColor=clYellow\r\nOutlineColor=clBlack\r\n"},
          {L"clNavy / clSilver", 128, 128, "LabelColor=clNavy\r\nOutlineColor=clSilver\r\n"},
          {L"outline off", 128, 128, "DrawOutline=0\r\n"},
          {L"outline 3", 128, 128, "OutlineWidth=3\r\n"}}},
        {L"Templates at 128 px",
         3,
         {{L"C: $up%", 128, 128, ""},
          {L"$rgb. GB free$lb$rp.% free", 128, 128, twoLines},
          {L"the same at LabelSize 12", 128, 128, twoLines + "LabelSize=12\r\n"},
          {L"$tgb GB", 128, 128, "LabelText=$tgb GB\r\n"},
          {L"empty label", 128, 128, "LabelText=\r\n"}}},
        {L"Wide, 200 \u00D7 50",
         1,
         {{L"default settings", 200, 50, ""}, {L"LabelSize 10", 200, 50, "LabelSize=10\r\n"}}},
    };
    for (int v = 0; v < 3; ++v)
        for (int h = 0; h < 3; ++h)
            sections[1].cells.push_back({L"H" + std::to_wstring(h) + L" V" + std::to_wstring(v),
                                         128, 128,
                                         "HorizontalPos=" + std::to_string(h) +
                                             "\r\nVerticalPos=" + std::to_string(v) + "\r\n"});
    return sections;
}

// Holds settings.ini for the gallery and puts the earlier file back, or none, when it ends.
class SettingsFileSwap {
  public:
    SettingsFileSwap(std::filesystem::path path, const std::string& content)
        : path_(std::move(path)) {
        if (std::ifstream in{path_, std::ios::binary})
            saved_.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        Write(content);
    }
    ~SettingsFileSwap() {
        if (saved_)
            Write(*saved_);
        else
            DeleteFileW(path_.c_str());
    }
    SettingsFileSwap(const SettingsFileSwap&) = delete;
    SettingsFileSwap& operator=(const SettingsFileSwap&) = delete;

  private:
    void Write(const std::string& content) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << content;
    }
    std::filesystem::path path_;
    std::optional<std::string> saved_;
};

// ---- Layout of the sheet ----------------------------------------------------------------------

constexpr int kMargin = 24;
constexpr int kTitleHeight = 56;
constexpr int kSectionTitleHeight = 28;
constexpr int kSectionGap = 22;
constexpr int kTilePad = 10;
constexpr int kPairGap = 4;
constexpr int kColumnGap = 22;
constexpr int kCaptionGap = 4;
constexpr int kCaptionHeight = 20;
constexpr int kRowGap = 10;

constexpr Gdiplus::ARGB kSheetColor = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kLightTile = 0xFFECEFF3;
constexpr Gdiplus::ARGB kDarkTile = 0xFF1E2227;
constexpr Gdiplus::ARGB kTextColor = 0xFF202428;
constexpr Gdiplus::ARGB kCaptionColor = 0xFF4A5058;

struct Placement {
    int lightX = 0, darkX = 0, tileY = 0, tileWidth = 0, tileHeight = 0;
    Gdiplus::RectF caption;
};

struct SheetLayout {
    int width = 0, height = 0;
    std::vector<Gdiplus::RectF> titles;  // one per section
    std::vector<Placement> cells;        // in the order of the sections and their cells
};

// Bands from top to bottom; a band holds stacks side by side, a stack sections one under another.
using Arrangement = std::vector<std::vector<std::vector<std::size_t>>>;
const Arrangement kArrangement = {{{0}, {4}}, {{1}, {2, 3}}};
constexpr int kStackGap = 40;

int PairWidth(const Cell& c) {
    return 2 * (c.width + 2 * kTilePad) + kPairGap;
}

struct Size {
    int width = 0, height = 0;
};

// Places one section's title and cells with its top left corner at (left, top).
Size LayOutSection(const Section& section, int left, int top, Gdiplus::RectF& title,
                   std::vector<Placement>& cells) {
    std::vector<int> columnWidth(section.columns, 0);
    for (std::size_t i = 0; i < section.cells.size(); ++i)
        columnWidth[i % section.columns] =
            std::max(columnWidth[i % section.columns], PairWidth(section.cells[i]));
    int width = 0;
    int y = top + kSectionTitleHeight;
    for (std::size_t first = 0; first < section.cells.size(); first += section.columns) {
        const std::size_t last = std::min(first + section.columns, section.cells.size());
        int tileBand = 0;
        for (std::size_t i = first; i < last; ++i)
            tileBand = std::max(tileBand, section.cells[i].height + 2 * kTilePad);
        int x = left;
        for (std::size_t i = first; i < last; ++i) {
            const Cell& cell = section.cells[i];
            const int column = int(i - first);
            Placement p;
            p.tileWidth = cell.width + 2 * kTilePad;
            p.tileHeight = cell.height + 2 * kTilePad;
            p.lightX = x + (columnWidth[column] - PairWidth(cell)) / 2;
            p.darkX = p.lightX + p.tileWidth + kPairGap;
            p.tileY = y + tileBand - p.tileHeight;  // captions close under small tiles
            p.caption = Gdiplus::RectF(float(x), float(y + tileBand + kCaptionGap),
                                       float(columnWidth[column]), float(kCaptionHeight));
            cells[i] = p;
            x += columnWidth[column] + kColumnGap;
        }
        width = std::max(width, x - kColumnGap - left);
        y += tileBand + kCaptionGap + kCaptionHeight + kRowGap;
    }
    title = Gdiplus::RectF(float(left), float(top), float(width), float(kSectionTitleHeight));
    return {width, y - kRowGap - top};
}

SheetLayout LayOut(const std::vector<Section>& sections) {
    std::vector<std::vector<Placement>> placed(sections.size());
    SheetLayout sheet;
    sheet.titles.resize(sections.size());
    int top = kMargin + kTitleHeight;
    int right = 0;
    for (const auto& band : kArrangement) {
        int left = kMargin, bandHeight = 0;
        for (const auto& stack : band) {
            int y = top, stackWidth = 0;
            for (const std::size_t s : stack) {
                placed[s].resize(sections[s].cells.size());
                const Size size = LayOutSection(sections[s], left, y, sheet.titles[s], placed[s]);
                stackWidth = std::max(stackWidth, size.width);
                y += size.height + kSectionGap;
            }
            bandHeight = std::max(bandHeight, y - kSectionGap - top);
            left += stackWidth + kStackGap;
        }
        right = std::max(right, left - kStackGap);
        top += bandHeight + kSectionGap;
    }
    sheet.width = right + kMargin;
    sheet.height = top - kSectionGap + kMargin;
    for (const auto& cells : placed)
        sheet.cells.insert(sheet.cells.end(), cells.begin(), cells.end());
    return sheet;
}

// ---- Drawing ----------------------------------------------------------------------------------

ScopedFont MakeFont(float pixels, int style) {
    ScopedFontFamily family;
    if (GdipCreateFontFamilyFromName(L"Arial", nullptr, family.out()) != Gdiplus::Ok)
        GdipGetGenericFontFamilySansSerif(family.out());
    ScopedFont font;
    if (family) GdipCreateFont(family.get(), pixels, style, Gdiplus::UnitPixel, font.out());
    return font;
}

void FillBox(Gdiplus::GpGraphics* g, Gdiplus::ARGB color, int x, int y, int w, int h) {
    ScopedBrush brush;
    GdipCreateSolidFill(color, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
    GdipFillRectangleI(g, brush.get(), x, y, w, h);
}

void Write(Gdiplus::GpGraphics* g, const std::wstring& text, const ScopedFont& font,
           Gdiplus::ARGB color, const Gdiplus::RectF& box, Gdiplus::StringAlignment align) {
    ScopedBrush brush;
    GdipCreateSolidFill(color, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.out()));
    ScopedStringFormat format;
    GdipCreateStringFormat(0, LANG_NEUTRAL, format.out());
    GdipSetStringFormatAlign(format.get(), align);
    GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingEllipsisCharacter);
    GdipDrawString(g, text.c_str(), int(text.size()), font.get(), &box, format.get(), brush.get());
}

void DrawBackdrop(Gdiplus::GpBitmap* sheetBitmap, const std::vector<Section>& sections,
                  const SheetLayout& sheet) {
    ScopedGraphics g;
    GdipGetImageGraphicsContext(sheetBitmap, g.out());
    GdipSetTextRenderingHint(g.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    FillBox(g.get(), kSheetColor, 0, 0, sheet.width, sheet.height);

    const ScopedFont title = MakeFont(20.f, Gdiplus::FontStyleBold);
    const ScopedFont heading = MakeFont(15.f, Gdiplus::FontStyleBold);
    const ScopedFont small = MakeFont(12.f, Gdiplus::FontStyleRegular);
    const float textWidth = float(sheet.width - 2 * kMargin);
    Write(g.get(), L"Spacegauge docklets", title, kTextColor,
          Gdiplus::RectF(float(kMargin), float(kMargin), textWidth, 26.f),
          Gdiplus::StringAlignmentNear);
    Write(g.get(),
          L"Each drawn by Spacegauge.dll through the reference host with its own settings section, "
          L"figures of drive C: of this machine; every docklet over a light and a dark tile.",
          small, kCaptionColor,
          Gdiplus::RectF(float(kMargin), float(kMargin + 28), textWidth, 18.f),
          Gdiplus::StringAlignmentNear);

    for (std::size_t s = 0; s < sections.size(); ++s)
        Write(g.get(), sections[s].title, heading, kTextColor, sheet.titles[s],
              Gdiplus::StringAlignmentNear);
    std::size_t n = 0;
    for (const Section& section : sections)
        for (const Cell& cell : section.cells) {
            const Placement& p = sheet.cells[n++];
            FillBox(g.get(), kLightTile, p.lightX, p.tileY, p.tileWidth, p.tileHeight);
            FillBox(g.get(), kDarkTile, p.darkX, p.tileY, p.tileWidth, p.tileHeight);
            Write(g.get(), cell.caption, small, kCaptionColor, p.caption,
                  Gdiplus::StringAlignmentCenter);
        }
}

// The sheet's pixels, opened for reading and writing while it lives.
class LockedPixels {
  public:
    explicit LockedPixels(Gdiplus::GpBitmap* bitmap, int width, int height) : bitmap_(bitmap) {
        const Gdiplus::GpRect all(0, 0, width, height);
        locked_ = GdipBitmapLockBits(bitmap, &all,
                                     Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                                     PixelFormat32bppARGB, &data_) == Gdiplus::Ok;
    }
    ~LockedPixels() {
        if (locked_) GdipBitmapUnlockBits(bitmap_, &data_);
    }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;
    bool locked() const { return locked_; }
    std::uint32_t* Row(int y) {
        return reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(data_.Scan0) +
                                                std::ptrdiff_t(y) * data_.Stride);
    }

  private:
    Gdiplus::GpBitmap* bitmap_;
    Gdiplus::BitmapData data_{};
    bool locked_ = false;
};

// Source over an opaque pixel, as a desktop composes a window with per-pixel alpha.
std::uint32_t Over(std::uint32_t source, std::uint32_t opaque) {
    const std::uint32_t a = source >> 24;
    std::uint32_t out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (source >> shift) & 0xFF, d = (opaque >> shift) & 0xFF;
        out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
    }
    return out;
}

void Compose(LockedPixels& sheet, const Pixels& docklet, int left, int top) {
    for (int y = 0; y < docklet.height; ++y) {
        std::uint32_t* row = sheet.Row(top + y) + left;
        for (int x = 0; x < docklet.width; ++x) row[x] = Over(docklet.at(x, y), row[x]);
    }
}

}  // namespace

GalleryResult RenderGallery(ReferenceHost& host, const std::wstring& pngPath) {
    const std::vector<Section> sections = GallerySections();
    std::vector<const Cell*> cells;
    std::string ini;
    for (const Section& section : sections)
        for (const Cell& cell : section.cells) {
            ini += "[Spacegauge" + std::to_string(kFirstIndex + std::int32_t(cells.size())) +
                   "]\r\n" + cell.settings;
            cells.push_back(&cell);
        }

    GalleryResult result;
    std::vector<Pixels> images;
    {
        const SettingsFileSwap settings(ReferenceHost::PluginFolder() + L"settings.ini", ini);
        const bool initializedHere = !host.initialized();
        if (initializedHere) host.Initialize();
        for (std::size_t n = 0; n < cells.size(); ++n) {
            const InstanceId id = kFirstId + n;
            host.SetInstance(id, kFirstIndex + std::int32_t(n),
                             {0, 0, cells[n]->width, cells[n]->height});
            host.Create(id);
            HandlerResult drawn;
            const HostBitmap bitmap = host.Draw(id, &drawn);
            const bool good = drawn.ok() && bitmap;
            result.failed += !good;
            images.push_back(good ? ReadPixels(bitmap.get()) : Pixels{});
        }
        // Ends the cells' refresh threads while their sections still exist.
        if (initializedHere) host.Finalize();
    }
    result.cells = int(cells.size());

    const SheetLayout sheet = LayOut(sections);
    ScopedImage sheetImage;
    GdipCreateBitmapFromScan0(sheet.width, sheet.height, 0, PixelFormat32bppARGB, nullptr,
                              reinterpret_cast<Gdiplus::GpBitmap**>(sheetImage.out()));
    auto* sheetBitmap = static_cast<Gdiplus::GpBitmap*>(sheetImage.get());
    if (!sheetBitmap) return result;
    DrawBackdrop(sheetBitmap, sections, sheet);
    {
        LockedPixels pixels(sheetBitmap, sheet.width, sheet.height);
        if (!pixels.locked()) return result;
        for (std::size_t n = 0; n < images.size(); ++n) {
            const Placement& p = sheet.cells[n];
            if (images[n].width != cells[n]->width || images[n].height != cells[n]->height)
                continue;
            Compose(pixels, images[n], p.lightX + kTilePad, p.tileY + kTilePad);
            Compose(pixels, images[n], p.darkX + kTilePad, p.tileY + kTilePad);
        }
    }
    result.saved = SavePng(sheetBitmap, pngPath);
    return result;
}

}  // namespace refhost
