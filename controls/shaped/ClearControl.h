#pragma once
// TClearControl: the base of the ClearCtrl kit, a windowed control shaped like what it shows.
//
// The control draws its picture and caption on a background of the key colour (TransparentColor)
// and keeps four state images built from them: normal, hot (lightened), pressed and disabled
// (grey), optionally with a raised border, a face-coloured ring and a shadow that follow the
// content's outline. Its window region is every non-key pixel of the current normal or pressed
// image plus what its children show: a graphic child's non-key pixels with ChildGraphicsTrans,
// otherwise a child's rectangle or its own window region. With FormTrans the top-level form gets
// the same shape. Painting copies a state image over the whole client area; the key-coloured
// pixels never reach the screen because the region leaves them out.
//
// Rebuilds follow every change that affects the look (setters, colour, font and text
// notifications, resizing, loading); BeginUpdate/EndUpdate batch them into one. A rebuild
// recomputes the region at once; notifications (shown, child inserted or removed, pointer
// presses) post CM_UPDATERGN to the control instead, and queued duplicates collapse into one
// computation. Nothing is built before the window exists.
//
// Ownership: the control owns its picture, its state images and its two base regions. A region
// given to a window belongs to that window. Descendants (TClearPanel, TClearButton) choose the
// defaults and publish the properties.

#include "platform/graphics/Picture.h"
#include "platform/graphics/Region.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

#include <cstdint>
#include <memory>
#include <optional>

enum TTransBtnStyle : std::uint8_t { sbsPushBtn, sbsFloatBtn, sbsImage };
enum TTransImgOption { sioDisableImage, sioHotTrackImage, sioTransAtDesigning, sioBorderAndShadow };
using TTransImgOptions = TSet<TTransImgOption>;

// The kit's private request to recompute a control's window region (both parameters 0).
constexpr UINT CM_UPDATERGN = 48043;

class TClearControl : public TCustomControl {
    PK_CLASS(TClearControl)
public:
    explicit TClearControl(TComponent* AOwner);
    ~TClearControl() override;

    void BeginUpdate();
    // Closes one batch level; the outermost (or an unmatched one) rebuilds at once.
    void EndUpdate();

    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransColor(TColor value);
    TPicture& Picture() const { return *FPicture; }
    // Copies value into the control's own picture (always, even when equal).
    void SetPicture(const TPicture* value);
    int CaptionLeft() const { return FCaptionLeft; }
    void SetCaptionLeft(int value);
    int CaptionTop() const { return FCaptionTop; }
    void SetCaptionTop(int value);
    TTransBtnStyle Style() const { return FStyle; }
    void SetStyle(TTransBtnStyle value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TColor LightColor() const { return FLightColor; }
    void SetLightColor(TColor value);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    std::uint8_t HotLightDepth() const { return FHotLightDepth; }
    void SetHotLightDepth(std::uint8_t value);
    TTransImgOptions Options() const { return FOptions; }
    void SetOptions(TTransImgOptions value);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool value);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool value);
    bool ChildGraphicsTrans() const { return FChildGraphicsTrans; }
    void SetChildGraphicsTrans(bool value);
    bool FormTrans() const { return FFormTrans; }
    void SetFormTrans(bool value);
    bool ParentDrag() const { return FParentDrag; }
    void SetParentDrag(bool value) { FParentDrag = value; }
    const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(const TNotifyEvent& value) { FOnMouseEnter = value; }
    const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(const TNotifyEvent& value) { FOnMouseLeave = value; }

    // Rebuilds the state images and base regions and recomputes the window region at once.
    void MakeBtnImageAndRgn();
    // Asks for the window region: posted, or computed at once inside a rebuild or a request.
    void UpdateRgn();

    // The current state images (null when their option is off) and base regions (none before the
    // first build), for descendants and tests to look at.
    const TBitmap* BtnImage() const { return FBtnImage.get(); }
    const TBitmap* HotImage() const { return FHotImage.get(); }
    const TBitmap* DownImage() const { return FDownImage.get(); }
    const TBitmap* DisabledImage() const { return FDisabledImage.get(); }
    const std::optional<TRegion>& BtnRgn() const { return FBtnRgn; }
    const std::optional<TRegion>& DownRgn() const { return FDownRgn; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void ReadState(TReader& Reader) override;
    void Dispatch(TMessage& Message) override;

protected:
    void PaintWindow(HDC DC) override;
    void Paint() override;
    virtual void DoAutoSizeArrange(int AWidth, int AHeight);
    void AutoSizeArrange();
    void PaintGraphicControls();
    // Whether the control under the pointer is this one; unless forClick, also draws the idle
    // image (normal, hot or disabled) and the graphic children.
    bool MouseUpViewUpdate(bool forClick);
    void WinRgnSet(bool pressed);
    void PictureChanged(TObject* Sender);

    void Click() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Resize() override;

    void CMEnabledChanged(TMessage& m);
    void CMColorChanged(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMTextChanged(TMessage& m);
    void CMMouseEnter(TMessage& m);
    void CMMouseLeave(TMessage& m);
    void CMShowingChanged(TMessage& m);
    void CMControlChange(TMessage& m);
    void CMUpdateRgn(TMessage& m);

    // Descendants set their defaults straight into the fields, as the constructors need.
    void InitStyle(TTransBtnStyle style) { FStyle = style; }
    void InitOptions(TTransImgOptions options) { FOptions = options; }
    void InitBorderStyle(TBorderStyle style) { FBorderStyle = style; }
    void InitMaxSize(TPoint size) { FMaxSize = size; }

private:
    // The outline, shadow and face images a rebuild derives from the content's silhouette.
    struct TOutlines;

    int BorderWidth() const { return static_cast<int>(FBorderStyle); }
    bool HasOption(TTransImgOption o) const { return FOptions.Contains(o); }
    bool IsKey(const std::uint8_t* pixel) const;
    void BindPicture();
    void BuildImages();
    std::unique_ptr<TBitmap> MakeContentImage();
    std::unique_ptr<TBitmap> MakeCaptionImage();
    std::unique_ptr<TBitmap> MakeOutlineImage(const TBitmap& content, TColor color) const;
    std::unique_ptr<TBitmap> ReplaceImageColor(TBitmap& source, TColor oldColor, TColor newColor) const;
    std::unique_ptr<TBitmap> ComposeStateImage(bool pressed, TBitmap& content, const TOutlines* outlines) const;
    TColor OutlineColor() const;
    TRegion ScanBaseRegion(TBitmap& image) const;
    void Recolor(TBitmap& image, TColor (*f)(TColor, int), int n) const;
    void AddGraphicSpans(TControl* child, const TBitmap& bitmap, TRegion& result) const;
    // Whether a client point lies on a non-key pixel of image.
    bool OverShape(const TBitmap* image, int x, int y) const;
    void DrawImage(TBitmap* image);
    void Rebuild();

    TColor FTransparentColor = 0x00FF00FF;
    std::unique_ptr<TBitmap> FBtnImage;
    std::unique_ptr<TBitmap> FHotImage;
    std::unique_ptr<TBitmap> FDownImage;
    std::unique_ptr<TBitmap> FDisabledImage;
    std::optional<TRegion> FBtnRgn;
    std::optional<TRegion> FDownRgn;
    TBorderStyle FBorderStyle = bsSingle;
    int FCaptionLeft = -1;
    int FCaptionTop = -1;
    bool FAutoSize = true;
    int FUpdateCount = 0;
    TTransBtnStyle FStyle = sbsPushBtn;
    bool FBtnDown = false;
    bool FMouseInBtn = false;
    TPoint FLastMousePos;
    bool FStateRead = false;
    bool FHotTrack = true;
    TColor FLightColor = clBtnHighlight;
    TColor FShadowColor = clBtnShadow;
    bool FStretch = false;
    TTransImgOptions FOptions;
    TControl* FRemovingControl = nullptr;
    std::unique_ptr<TPicture> FPicture;
    bool FParentDrag = false;
    bool FFormTrans = false;
    bool FParentDragging = false;
    TPoint FDragStart;
    TNotifyEvent FOnMouseLeave;
    TNotifyEvent FOnMouseEnter;
    bool FChildGraphicsTrans = false;
    TPoint FMaxSize { 320, 320 };
    bool FPaintingRgn = false;
    bool FRgnNow = false;
    std::uint8_t FHotLightDepth = 128;
};
