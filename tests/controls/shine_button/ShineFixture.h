#pragma once
// Shared pieces of the shine button tests: a headless platform per test, a form to put buttons
// on, a button that shows its protected parts and counts its paints, glyphs drawn from text
// pictures, and painting a button into a bitmap.

#include "controls/shine_button/ShineSpdBtn.h"
#include "platform/ui/UiFixture.h"

#include "platform/display/headless/HeadlessInput.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowSystem.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TProbeButton : public TShineSpeedButton {
public:
    explicit TProbeButton(TComponent* owner)
        : TShineSpeedButton(owner)
    {
    }
    using TShineSpeedButton::CalcDrawPosition;
    using TShineSpeedButton::CreateStateGlyph;
    using TShineSpeedButton::MouseEnter;

    int Paints = 0;
    // Called in every paint, after the button has drawn itself.
    std::function<void()> AfterPaint;

protected:
    void Paint() override
    {
        ++Paints;
        TShineSpeedButton::Paint();
        if (AfterPaint)
            AfterPaint();
    }
};

class ShineTest : public UiTest {
protected:
    void TearDown() override
    {
        ResetSysColors();
        UiTest::TearDown();
    }

    static TForm* MakeForm(int clientWidth, int clientHeight)
    {
        TForm* form = nullptr;
        Application->CreateForm(form);
        form->SetName("Form");
        form->SetBorderStyle(bsToolWindow);
        form->SetBounds(100, 50, 10, 10);
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(clientHeight);
        form->SetColor(clWhite);
        return form;
    }

    static TProbeButton* AddButton(TWinControl* parent, const TRect& bounds, const char* name = "")
    {
        auto* b = new TProbeButton(parent);
        b->SetName(name);
        b->SetBoundsRect(bounds);
        b->SetParent(parent);
        return b;
    }

    // A point inside a control, in screen coordinates.
    static TPoint At(const TControl* c, int x = 5, int y = 5) { return c->ClientToScreen({ x, y }); }

    static std::uint32_t ScreenPixel(TPoint p) { return ComposeScreen().GetPixelWord(p.X, p.Y); }
};

// A pixel word from its channels.
constexpr std::uint32_t Word(int r, int g, int b)
{
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}

// A 32-bit glyph from rows of characters, each character a pixel word from the legend.
inline std::unique_ptr<TBitmap> MakeGlyph(const std::vector<std::string>& rows, const std::map<char, std::uint32_t>& legend)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x)
            b->Image().SetPixelWord(x, y, legend.at(rows[static_cast<size_t>(y)][static_cast<size_t>(x)]));
    return b;
}

// A bitmap's pixels as rows of characters, through the legend (unknown words become '?').
inline std::vector<std::string> Picture(const TBitmap& b, const std::map<char, std::uint32_t>& legend)
{
    std::vector<std::string> rows;
    for (int y = 0; y < b.Height(); ++y) {
        std::string row;
        for (int x = 0; x < b.Width(); ++x) {
            std::uint32_t p = b.Image().GetPixelWord(x, y);
            char c = '?';
            for (const auto& [k, v] : legend)
                if (v == p)
                    c = k;
            row.push_back(c);
        }
        rows.push_back(row);
    }
    return rows;
}

// What the button paints, on a 32-bit bitmap of its size first filled with the given colour.
inline std::unique_ptr<TBitmap> PaintButton(TShineSpeedButton& button, TColor under = clBlack)
{
    auto target = std::make_unique<TBitmap>();
    target->SetPixelFormat(pf32bit);
    target->SetSize(button.Width(), button.Height());
    target->Canvas().Brush().SetColor(under);
    target->Canvas().FillRect({ 0, 0, button.Width(), button.Height() });
    button.PaintTo(target->Canvas().Handle());
    return target;
}
