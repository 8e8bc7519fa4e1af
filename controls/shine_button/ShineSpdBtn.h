#pragma once
// ShineSpdBtn: the shine speed button.
//
// TShineSpeedButton is a graphic control (it paints on its parent's surface) with a caption and an
// optional Glyph, a solid or gradient face, flat, normal or enclosed frames, four layouts, pictures
// derived from the Glyph for its active and disabled looks, speed-button grouping, and an active
// look while the pointer is over it. Its look is decided by one visual state (State()), which the
// pointer, the keyboard, grouping and Enabled move.
//
// Ownership: the button creates and owns its two colour sets (Colors for the up and disabled
// looks, PressedColors for the down looks), its two fonts (Font, and ActiveFont for the active
// looks; both are the button's own, not the inherited control font), the Glyph bitmap and the
// 200 ms timer that ends a missed active look. None of them is ever replaced: property writes copy
// into them. Nothing derived is kept between paints; every paint builds its pictures anew.
//
// Grouping: buttons of one parent with the same non-zero GroupIndex keep at most one down unless
// AllowAllUp. A button announces its group state (CM_BUTTONPRESSED) through a platform speed
// button that exists only while it announces, so shine buttons and the platform's TSpeedButtons of
// one group in one parent keep each other consistent.

#include "controls/shine_button/ShineBtnColors.h"

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"

#include <cstdint>
#include <memory>

class TTimer;

enum TFrameType : std::uint8_t { ftFlatFrame, ftNormalFrame, ftEnclosedFrame };
enum TActiveImageType : std::uint8_t {
    aiNormal,
    aiXorLight,
    aiHalfLight,
    aiQuaterLight,
    aiAddLight,
    aiFrameLight,
    aiFrameLight2,
    aiMaskLight,
};
enum TDisabledImageType : std::uint8_t { diDefault, diGrayscale, diAlphaHalfTrans, diAlphaQuaterTrans, diMaskTrans };

// The visual state: the two down looks draw with PressedColors, the others with Colors; the two
// active looks use ActiveFont, ActiveFrame and the ActiveImage picture.
enum TShineButtonState : std::uint8_t { stDownActive, stDown, stUpActive, stUp, stDisabled };

namespace ShineSpdBtn {

// A colour (system colours resolved now) as the pixel word 0x00RRGGBB of 32-bit rows.
std::uint32_t ColorToPixel(TColor Color);
// The keyboard and mouse buttons as they stand now; never holds ssDouble.
TShiftState CurrentShiftState();
// Makes TShineSpeedButton known to the form reader.
void Register();

} // namespace ShineSpdBtn

class TShineSpeedButton : public TGraphicControl {
    PK_CLASS(TShineSpeedButton)
public:
    explicit TShineSpeedButton(TComponent* AOwner);
    ~TShineSpeedButton() override;

    void Dispatch(TMessage& Message) override;
    void Loaded() override;

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool ClickDownHook() const { return FClickDownHook; }
    void SetClickDownHook(bool Value);
    bool AccelCharDown() const { return FAccelCharDown; }
    void SetAccelCharDown(bool Value);
    TFrameType FrameType() const { return FFrameType; }
    void SetFrameType(TFrameType Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool ActiveFrame() const { return FActiveFrame; }
    void SetActiveFrame(bool Value);
    bool UpFrame() const { return FUpFrame; }
    void SetUpFrame(bool Value);
    bool DownFrame() const { return FDownFrame; }
    void SetDownFrame(bool Value);
    TActiveImageType ActiveImage() const { return FActiveImage; }
    void SetActiveImage(TActiveImageType Value);
    TDisabledImageType DisabledImage() const { return FDisabledImage; }
    void SetDisabledImage(TDisabledImageType Value);
    TColor DisabledHighlight() const { return FDisabledHighlight; }
    void SetDisabledHighlight(TColor Value);
    TColor DisabledShadow() const { return FDisabledShadow; }
    void SetDisabledShadow(TColor Value);
    TShineBtnColors& Colors() const { return *FColors; }
    // Copies Value in; none (or another class) raises the assignment error.
    void SetColors(const TShineBtnColors* Value);
    TShineBtnColors& PressedColors() const { return *FPressedColors; }
    void SetPressedColors(const TShineBtnColors* Value);
    TColor ShineColor() const { return FShineColor; }
    void SetShineColor(TColor Value);
    // The caption font of the looks that are not active (not the inherited control font).
    TFont& Font() const { return *FFont; }
    // Copies Value in; none is ignored.
    void SetFont(const TFont* Value);
    TColor FontHighlight() const { return FFontHighlight; }
    void SetFontHighlight(TColor Value);
    TColor FontShadow() const { return FFontShadow; }
    void SetFontShadow(TColor Value);
    TFont& ActiveFont() const { return *FActiveFont; }
    void SetActiveFont(const TFont* Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    // Always exists; held at 32 bits per pixel after every change.
    TBitmap& Glyph() const { return *FGlyph; }
    // Copies Value in; none empties the Glyph.
    void SetGlyph(const TBitmap* Value);
    const TMouseMoveEvent& OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TMouseMoveEvent Value) { FOnMouseEnter = std::move(Value); }
    const TMouseMoveEvent& OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TMouseMoveEvent Value) { FOnMouseLeave = std::move(Value); }

    TShineButtonState State() const { return FState; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void MouseEnter(TShiftState Shift, int X, int Y);
    virtual void MouseLeave(TShiftState Shift, int X, int Y);
    void Click() override;

    // The Glyph as the current state shows it, for one paint; none when the Glyph is empty.
    std::unique_ptr<TBitmap> CreateStateGlyph() const;
    void BackDraw(TCanvas& ACanvas);
    void ImageDraw(TCanvas& ACanvas);
    void FrameDraw(TCanvas& ACanvas);
    // Places the glyph's top-left corner and the caption's rectangle; the caption is measured in
    // the canvas's current font.
    void CalcDrawPosition(TCanvas& ACanvas, TPoint& GlyphPos, TRect& TextRect);
    void UpdateTracking();

private:
    void FontsAndColorsOnChange(TObject* Sender);
    void GlyphOnChange(TObject* Sender);
    void ActiveButtonTimerOnTimer(TObject* Sender);
    void GroupUpdateStatus(int Value);

    void WMLButtonDblClick(TMessage& Message);
    void CMDialogChar(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMTextChanged(TMessage& Message);
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void CMButtonPressed(TMessage& Message);
    void CMSysColorChange(TMessage& Message);

    bool FDown = false;
    TFrameType FFrameType = ftNormalFrame;
    bool FAllowAllUp = false;
    bool FClickDownHook = false;
    bool FAccelCharDown = false;
    int FGroupIndex = 0;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FTransparent = false;
    bool FActiveFrame = true;
    bool FUpFrame = true;
    bool FDownFrame = true;
    TActiveImageType FActiveImage = aiFrameLight;
    TDisabledImageType FDisabledImage = diDefault;
    TColor FDisabledShadow = clBtnShadow;
    TColor FDisabledHighlight = clBtnHighlight;
    std::unique_ptr<TShineBtnColors> FColors;
    std::unique_ptr<TShineBtnColors> FPressedColors;
    TColor FShineColor = clYellow;
    std::unique_ptr<TFont> FFont;
    TColor FFontHighlight = clNone;
    TColor FFontShadow = clNone;
    std::unique_ptr<TFont> FActiveFont;
    std::unique_ptr<TBitmap> FGlyph;
    TMouseMoveEvent FOnMouseEnter;
    TMouseMoveEvent FOnMouseLeave;
    bool FMouseInControl = false;
    bool FDragging = false;
    TShineButtonState FState = stUp;
    // Exists only while GroupUpdateStatus announces; the parent is its component owner as well,
    // and deleting it takes it out of the parent's lists.
    std::unique_ptr<TSpeedButton> FGroupProxy;
    // Created with the button as component owner; freed first, before anything it could reach.
    std::unique_ptr<TTimer> FActiveButtonTimer;
};
