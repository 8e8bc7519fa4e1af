#pragma once
// TControl, TWinControl, TGraphicControl and TCustomControl: the control tree of the class
// library.
//
// Ownership and parentage are separate: the owner (a TComponent, usually the form) frees a
// control; the parent (a TWinControl) shows it. A parent keeps its children in two lists, graphic
// controls first and windowed controls after them, and Controls(i) walks them in that order (the
// child order every painting and region scan uses). Removing a control from its parent, or
// destroying it, detaches it from the parent's lists.
//
// Messages reach a control through WindowProc (by default WndProc), which hands them to Dispatch:
// each class overrides Dispatch with the messages it handles and passes the others to its base
// class, as the class library dispatches by message number; the end of the chain is
// DefaultHandler. Perform sends a message to a control directly.
//
// Windowed controls create their window on demand (HandleNeeded); the window's procedure is the
// control's WindowProc. Graphic controls paint on their parent's device context with the origin
// moved to the control and clipping limited to its rectangle, in child order.

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowSystem.h"

#include <memory>
#include <vector>

class TWinControl;
class TControlCanvas;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum THelpType { htKeyword, htContext };
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crDrag = -12;
constexpr TCursor crHandPoint = -21;

enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground,
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
};
using TControlState = TSet<TControlStateFlag>;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;

// The shift state from a mouse message's key flags.
TShiftState KeysToShiftState(WPARAM keys);
// The shift state of the keyboard and buttons as they are now.
TShiftState CurrentKeyShiftState();

// The graphic or windowed control that holds the mouse capture, if any.
class TControl* GetCaptureControl();
void SetCaptureControl(class TControl* control);

class TControl : public TComponent {
    PK_CLASS(TControl)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int width, int height);
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors value);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool value);
    const AnsiString& Caption() const { return FText; }
    void SetCaption(const AnsiString& value) { SetText(value); }
    const AnsiString& Text() const { return FText; }
    virtual void SetText(const AnsiString& value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    TFont& Font() const { return *FFont; }
    void SetFont(const TFont* value) { FFont->Assign(value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value) { FCursor = value; }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& value) { FHint = value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool value);
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode value) { FDragMode = value; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind value) { FDragKind = value; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor value) { FDragCursor = value; }
    THelpType HelpType() const { return FHelpType; }
    void SetHelpType(THelpType v) { FHelpType = v; }
    const AnsiString& HelpKeyword() const { return FHelpKeyword; }
    void SetHelpKeyword(const AnsiString& v) { FHelpKeyword = v; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int v) { FHelpContext = v; }

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle style) { FControlStyle = style; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState state) { FControlState = state; }

    // True when the control is a windowed control.
    virtual bool IsWindowed() const { return false; }
    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    virtual void Invalidate();
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // The message entry of the control (replaceable, as the class library allows).
    TEvent<TMessage&> WindowProc;
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // Streaming: a control read from a description is put under its container first, then its
    // properties are read, then its parent's colour and font reach it (ParentColor, ParentFont).
    void ReadState(TReader& Reader) override;
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;
    TNotifyEvent OnContextPopup;
    TNotifyEvent OnEndDock;
    TNotifyEvent OnEndDrag;
    TNotifyEvent OnStartDock;
    TNotifyEvent OnStartDrag;

    // Called by the parent's painting: paints the control on a device context whose origin is
    // the control's top-left (graphic controls).
    virtual void PaintTo(HDC dc);

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Resize();
    void Changed();
    virtual void FontChanged(TObject* Sender);
    virtual void Loaded() override;
    // The parent's geometry changed: anchors and alignment are the parent's to apply.
    void RequestAlign();
    void InvalidateControl(bool isVisible, bool isOpaque);

    void WMLButtonDown(TMessage& m);
    void WMRButtonDown(TMessage& m);
    void WMMButtonDown(TMessage& m);
    void WMLButtonDblClk(TMessage& m);
    void WMRButtonDblClk(TMessage& m);
    void WMMouseMove(TMessage& m);
    void WMLButtonUp(TMessage& m);
    void WMRButtonUp(TMessage& m);
    void WMMButtonUp(TMessage& m);
    void CMParentFontChanged(TMessage& m);
    void CMParentColorChanged(TMessage& m);
    void CMParentShowHintChanged(TMessage& m);
    void CMHitTest(TMessage& m);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;

private:
    void DoMouseDown(TMessage& m, TMouseButton button, TShiftState shift);
    void DoMouseUp(TMessage& m, TMouseButton button);

    TAlign FAlign = alNone;
    TAnchors FAnchors { akLeft, akTop };
    bool FVisible = true;
    bool FEnabled = true;
    AnsiString FText;
    TColor FColor = clWindow;
    bool FParentColor = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TCursor FCursor = crDefault;
    AnsiString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TDragMode FDragMode = dmManual;
    TDragKind FDragKind = dkDrag;
    TCursor FDragCursor = crDrag;
    THelpType FHelpType = htContext;
    AnsiString FHelpKeyword;
    int FHelpContext = 0;
    TControlStyle FControlStyle;
    TControlState FControlState;
    // Anchored distances, taken when the parent's size is known.
    friend class TWinControl;
    TPoint FAnchorOrigin;
    TPoint FAnchorParentSize;
    bool FAnchorsKnown = false;
};

class TWinControl : public TControl {
    PK_CLASS(TWinControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }

    // Children in the child order: graphic controls first, then windowed ones.
    int ControlCount() const { return static_cast<int>(FControls.size() + FWinControls.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* control) const;
    void Broadcast(TMessage& Message);
    // The topmost visible child under a client point (graphic ones, and windowed ones when asked).
    TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false) const;

    HWND Handle();
    bool HandleAllocated() const { return FHandle != 0; }
    void HandleNeeded();
    bool Showing() const { return FShowing; }

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // Paints the graphic children, from First on (null: all), on a device context of this control.
    void PaintControls(HDC DC, TControl* First);
    void Realign();
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();

    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

    // The windowed control whose window is hwnd, if any.
    static TWinControl* FindControl(HWND hwnd);

protected:
    virtual void CreateParams(TWindowCreateParams& Params);
    virtual void CreateHandle();
    virtual void CreateWnd();
    virtual void DestroyHandle();
    virtual void DestroyWnd();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& m);
    void UpdateShowing();
    void UpdateControlState();
    void UpdateBounds();
    virtual void SetZOrderOf(TControl*, bool) { }

    void WMPaint(TMessage& m);
    void WMSize(TMessage& m);
    void WMMove(TMessage& m);
    void CMShowingChanged(TMessage& m);
    void CMVisibleChanged(TMessage& m);
    void CMEnabledChanged(TMessage& m);
    void CMColorChanged(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMSysColorChange(TMessage& m);
    void CMShowHintChanged(TMessage& m);
    void CMDialogChar(TMessage& m);
    // Forwards a mouse message to the graphic child under the pointer or holding the capture;
    // true when one took it.
    bool IsControlMouseMsg(TMessage& m);
    void NotifyControlChange(TControl* control, bool inserting);

    HWND FHandle = 0;
    bool FShowing = false;

private:
    friend class TControl;
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FWinControls;
    int FAlignLevel = 0;
    bool FRealigning = false;
};

class TGraphicControl : public TControl {
    PK_CLASS(TGraphicControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    TCanvas& Canvas() const;
    void PaintTo(HDC dc) override;
    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint() { }

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
    PK_CLASS(TCustomControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    TCanvas& Canvas() const;

protected:
    virtual void Paint() { }
    void PaintWindow(HDC DC) override;
    void DestroyWnd() override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A canvas that draws on a control: inside a paint it is attached to the paint's device context;
// outside, it takes a device context of the control's window (for a graphic control, its parent's
// window with the origin moved to the control and clipping limited to it) the first time it draws.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* control);
    ~TControlCanvas() override;
    // Drops the device context taken from the window (the window is going away).
    void FreeHandle();
    // Drops the window contexts of every control canvas that is not in use (the application
    // does it when idle, so a context never outlives a move of its control).
    static void FreeDeviceContexts();

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    std::unique_ptr<TDeviceContext> FOwnDC;
};

// Runs paint with canvas attached to dc and locked; the canvas is detached and unlocked again
// whatever paint does.
void PaintOnCanvas(TCanvas& canvas, HDC dc, const std::function<void()>& paint);

// The control under a screen point: the window there (regions respected), then its topmost graphic
// child at that point; disabled controls are included when allowDisabled is true.
TControl* FindDragTarget(TPoint screenPos, bool allowDisabled);
TWinControl* FindControl(HWND hwnd);
// The form (top-level windowed control) a control lies on, or null.
TWinControl* GetParentForm(TControl* control);
// True when the caption's accelerator (the character after a single ampersand) is key,
// compared without regard to case.
bool IsAccel(unsigned key, const AnsiString& caption);
