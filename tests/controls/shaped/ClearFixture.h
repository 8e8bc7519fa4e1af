#pragma once
// Shared pieces of the kit's tests: a headless platform per test (UiTest), a form to put controls
// on, pictures drawn in code, and ways to look at images and regions.

#include "platform/ui/UiFixture.h"

#include "controls/shaped/ClearCtrl.h"
#include "platform/display/headless/HeadlessInput.h"
#include "platform/graphics/TextDraw.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/WindowSystem.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ClearTesting {

constexpr TColor Magenta = 0x00FF00FF;

inline TForm* MakeForm(int clientWidth, int clientHeight, TFormBorderStyle border = bsToolWindow)
{
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetName("Form");
    form->SetBorderStyle(border);
    form->SetBounds(100, 50, 10, 10);
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(clientHeight);
    form->SetColor(clWhite);
    return form;
}

// A 24-bit picture filled with background and a rectangle of foreground; its transparent colour
// is fixed to key (so it need not be the bottom-left pixel).
inline std::unique_ptr<TPicture> BlockPicture(int width, int height, TRect block, TColor foreground, TColor background = Magenta,
    TColor key = Magenta)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    bitmap.Canvas().Brush().SetColor(background);
    bitmap.Canvas().FillRect({ 0, 0, width, height });
    bitmap.Canvas().Brush().SetColor(foreground);
    bitmap.Canvas().FillRect(block);
    bitmap.SetTransparentColor(key);
    auto picture = std::make_unique<TPicture>();
    picture->SetGraphic(&bitmap);
    return picture;
}

// A black ring on magenta, the crest's shape in small.
inline std::unique_ptr<TPicture> RingPicture(int size, int thickness)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(size, size);
    const double c = (size - 1) / 2.0, outer = size / 2.0, inner = outer - thickness;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d2 = (x - c) * (x - c) + (y - c) * (y - c);
            const bool ring = d2 <= outer * outer && d2 > inner * inner;
            bitmap.Image().SetPixelWord(x, y, ring ? 0x000000 : 0xFF00FF);
        }
    auto picture = std::make_unique<TPicture>();
    picture->SetGraphic(&bitmap);
    return picture;
}

inline TColor PixelOf(const TBitmap& image, int x, int y)
{
    return ScanPixelColor(image.ScanLine(y) + static_cast<std::size_t>(x) * 3);
}

// The image as rows of characters, one per pixel, by the colours named in legend ('?' for others).
inline std::vector<std::string> Art(const TBitmap& image, const std::map<TColor, char>& legend)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.Height(); ++y) {
        std::string row;
        for (int x = 0; x < image.Width(); ++x) {
            auto it = legend.find(PixelOf(image, x, y));
            row += it == legend.end() ? '?' : it->second;
        }
        rows.push_back(row);
    }
    return rows;
}

// The pixels of image that are not key, as a region (built pixel by pixel, the slow plain way).
inline TRegion NonKeyPixels(const TBitmap& image, TColor key, TPoint offset = {})
{
    TRegion r;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (PixelOf(image, x, y) != key)
                r.Union(TRegion(Bounds(x + offset.X, y + offset.Y, 1, 1)));
    return r;
}

inline TPoint ScreenOf(const TControl* control, TPoint client)
{
    return control->ClientToScreen(client);
}

inline std::uint32_t ScreenPixel(TPoint p)
{
    return ComposeScreen().GetPixelWord(p.X, p.Y);
}

} // namespace ClearTesting

class ClearTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Register();
    }
    // How many times a window region was applied to the window of that name.
    int RegionCount(const std::string& name) const
    {
        int n = 0;
        for (const std::string& line : TraceLines())
            if (line.rfind("region\t" + name + "\t", 0) == 0)
                ++n;
        return n;
    }
    int BeepCount() const
    {
        int n = 0;
        for (const std::string& line : TraceLines())
            if (line.rfind("beep\t", 0) == 0)
                ++n;
        return n;
    }
};
