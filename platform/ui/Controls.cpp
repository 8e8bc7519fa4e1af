#include "platform/ui/Controls.h"

#include "platform/base/CodePage.h"
#include "platform/base/Filer.h"
#include "platform/ui/Forms.h"

#include <algorithm>
#include <cassert>
#include <map>

namespace {

TControl*& CaptureControlRef()
{
    static TControl* control = nullptr;
    return control;
}

std::map<HWND, TWinControl*>& HandleMap()
{
    static std::map<HWND, TWinControl*> map;
    return map;
}

WPARAM ToWParam(const TControl* c)
{
    return reinterpret_cast<WPARAM>(c);
}

} // namespace

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(ssShift);
    if (keys & MK_CONTROL)
        s.Include(ssCtrl);
    if (keys & MK_LBUTTON)
        s.Include(ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(ssRight);
    if (keys & MK_MBUTTON)
        s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

TShiftState CurrentKeyShiftState()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    if (GetKeyState(VK_LBUTTON) < 0)
        s.Include(ssLeft);
    if (GetKeyState(VK_RBUTTON) < 0)
        s.Include(ssRight);
    if (GetKeyState(VK_MBUTTON) < 0)
        s.Include(ssMiddle);
    return s;
}

TControl* GetCaptureControl()
{
    TWinControl* result = FindControl(GetCapture());
    TControl* captured = CaptureControlRef();
    if (result && captured && captured->Parent() == result)
        return captured;
    return result;
}

void SetCaptureControl(TControl* control)
{
    ReleaseCapture();
    CaptureControlRef() = nullptr;
    if (!control)
        return;
    TWinControl* window = nullptr;
    if (!control->IsWindowed()) {
        if (!control->Parent())
            return;
        CaptureControlRef() = control;
        window = control->Parent();
    } else {
        window = static_cast<TWinControl*>(control);
    }
    SetCapture(window->Handle());
}

TWinControl* FindControl(HWND hwnd)
{
    return TWinControl::FindControl(hwnd);
}

TControl* FindDragTarget(TPoint screenPos, bool allowDisabled)
{
    HWND hwnd = WindowFromPoint(screenPos);
    TWinControl* window = FindControl(hwnd);
    if (!window)
        return nullptr;
    TControl* child = window->ControlAtPos(window->ScreenToClient(screenPos), allowDisabled);
    return child ? child : window;
}

TWinControl* GetParentForm(TControl* control)
{
    if (!control)
        return nullptr;
    while (control->Parent())
        control = control->Parent();
    return control->IsWindowed() ? static_cast<TWinControl*>(control) : nullptr;
}

bool IsAccel(unsigned key, const AnsiString& caption)
{
    size_t i = 0;
    while (i < caption.size()) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                i += 2;
                continue;
            }
            if (i + 1 >= caption.size())
                return false;
            size_t len = CharLength(caption, i + 1);
            std::string hot = caption.substr(i + 1, len);
            std::string k;
            if (key < 0x80)
                k.push_back(static_cast<char>(key));
            else
                return false;
            return AnsiCompareText(hot, k) == 0;
        }
        i += CharLength(caption, i);
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TControl

PK_CLASS_IMPL(TControl, TComponent, &CreateComponent<TControl>)

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner)
    , FFont(std::make_unique<TFont>())
{
    WindowProc = TEvent<TMessage&>(this, &TControl::WndProc);
    FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    FControlStyle = { csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks };
}

TControl::~TControl()
{
    ControlDestroyed(this);
    if (CaptureControlRef() == this)
        SetCaptureControl(nullptr);
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (FParent == AParent)
        return;
    assert(AParent != this);
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const
{
    return FParent;
}

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

void TControl::ReadState(TReader& Reader)
{
    FControlState.Include(csReadingState);
    TComponent::ReadState(Reader);
    FControlState.Exclude(csReadingState);
    if (FParent) {
        Perform(CM_PARENTCOLORCHANGED);
        Perform(CM_PARENTFONTCHANGED);
        Perform(CM_PARENTSHOWHINTCHANGED);
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    InvalidateControl(FVisible, false);
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    FAnchorsKnown = false;
    Invalidate();
    RequestAlign();
    if (sized && !IsLoading())
        Resize();
}

TRect TControl::ClientRect() const
{
    return { 0, 0, FWidth, FHeight };
}

void TControl::SetClientSize(int width, int height)
{
    TRect client = ClientRect();
    SetBounds(FLeft, FTop, FWidth - client.Width() + width, FHeight - client.Height() + height);
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent)
        return { FLeft, FTop };
    TPoint p = FParent->ClientOrigin();
    return { p.X + FLeft, p.Y + FTop };
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    return p + ClientOrigin();
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    return p - ClientOrigin();
}

void TControl::SetAlign(TAlign value)
{
    if (FAlign == value)
        return;
    FAlign = value;
    if (value != alNone)
        FAnchors = { akLeft, akTop };
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    FAnchors = value;
    FAnchorsKnown = false;
}

void TControl::SetVisible(bool value)
{
    if (FVisible == value)
        return;
    FVisible = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    RequestAlign();
}

void TControl::SetEnabled(bool value)
{
    if (FEnabled == value)
        return;
    FEnabled = value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const AnsiString& value)
{
    if (FText == value)
        return;
    FText = value;
    if (IsWindowed()) {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated())
            SetWindowText(w->Handle(), value);
    }
    Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor value)
{
    if (FColor == value)
        return;
    FColor = value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (FParentColor == value)
        return;
    FParentColor = value;
    if (FParent && !IsLoading())
        Perform(CM_PARENTCOLORCHANGED);
}

void TControl::FontChanged(TObject*)
{
    FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    if (FParentFont == value)
        return;
    FParentFont = value;
    if (FParent && !IsLoading())
        Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetShowHint(bool value)
{
    if (FShowHint == value)
        return;
    FShowHint = value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    if (FParentShowHint == value)
        return;
    FParentShowHint = value;
    if (FParent && !IsLoading())
        Perform(CM_PARENTSHOWHINTCHANGED);
}

bool TControl::MouseCapture() const
{
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool value)
{
    if (MouseCapture() == value)
        return;
    SetCaptureControl(value ? this : nullptr);
}

void TControl::InvalidateControl(bool isVisible, bool isOpaque)
{
    (void)isOpaque;
    if ((isVisible || IsDesigning()) && FParent && FParent->HandleAllocated()) {
        TRect r = BoundsRect();
        InvalidateRect(FParent->Handle(), &r);
    }
}

void TControl::Invalidate()
{
    InvalidateControl(FVisible, FControlStyle.Contains(csOpaque));
}

void TControl::Repaint()
{
    if (!(FVisible || IsDesigning()) || !FParent || !FParent->HandleAllocated())
        return;
    if (FControlStyle.Contains(csOpaque)) {
        auto dc = GetDC(FParent->Handle());
        dc->IntersectClip(BoundsRect());
        FParent->PaintControls(dc.get(), this);
        dc->Changed();
    } else {
        Invalidate();
        Update();
    }
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

namespace {

// Moves an element of a child list to its end or its start.
template <class T>
void MoveInList(std::vector<T*>& list, TControl* control, bool toEnd)
{
    auto it = std::find(list.begin(), list.end(), control);
    if (it == list.end())
        return;
    T* item = *it;
    list.erase(it);
    if (toEnd)
        list.push_back(item);
    else
        list.insert(list.begin(), item);
}

} // namespace

void TControl::BringToFront()
{
    if (!FParent)
        return;
    if (IsWindowed())
        MoveInList(FParent->FWinControls, this, true);
    else
        MoveInList(FParent->FControls, this, true);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    if (IsWindowed())
        MoveInList(FParent->FWinControls, this, false);
    else
        MoveInList(FParent->FControls, this, false);
    Invalidate();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m { Msg, WParam, LParam, 0 };
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message)
{
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
        if (IsDesigning())
            return; // a form designer would take the pointer here
        if (!FControlStyle.Contains(csDoubleClicks)) {
            switch (Message.Msg) {
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDBLCLK:
                Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
                break;
            default:
                break;
            }
        }
        if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK)
            FControlState.Include(csLButtonDown);
        else if (Message.Msg == WM_LBUTTONUP)
            FControlState.Exclude(csLButtonDown);
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
        WMLButtonDown(m);
        return;
    case WM_RBUTTONDOWN:
        WMRButtonDown(m);
        return;
    case WM_MBUTTONDOWN:
        WMMButtonDown(m);
        return;
    case WM_LBUTTONDBLCLK:
        WMLButtonDblClk(m);
        return;
    case WM_RBUTTONDBLCLK:
        WMRButtonDblClk(m);
        return;
    case WM_MOUSEMOVE:
        WMMouseMove(m);
        return;
    case WM_LBUTTONUP:
        WMLButtonUp(m);
        return;
    case WM_RBUTTONUP:
        WMRButtonUp(m);
        return;
    case WM_MBUTTONUP:
        WMMButtonUp(m);
        return;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(m);
        return;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(m);
        return;
    case CM_PARENTSHOWHINTCHANGED:
        CMParentShowHintChanged(m);
        return;
    case CM_HITTEST:
        CMHitTest(m);
        return;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        return;
    case CM_VISIBLECHANGED:
        InvalidateControl(true, false);
        return;
    default:
        DefaultHandler(m);
    }
}

void TControl::DefaultHandler(TMessage&)
{
}

void TControl::Click()
{
    OnClick(this);
}

void TControl::DblClick()
{
    OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize()
{
    OnResize(this);
}

void TControl::Changed()
{
}

void TControl::Loaded()
{
    TComponent::Loaded();
    FAnchorsKnown = false;
}

void TControl::RequestAlign()
{
    if (FParent)
        FParent->Realign();
}

void TControl::PaintTo(HDC)
{
}

void TControl::DoMouseDown(TMessage& m, TMouseButton button, TShiftState shift)
{
    if (FControlStyle.Contains(csNoStdEvents))
        return;
    MouseDown(button, KeysToShiftState(m.WParam) + shift, LParamX(m.LParam), LParamY(m.LParam));
}

void TControl::DoMouseUp(TMessage& m, TMouseButton button)
{
    if (FControlStyle.Contains(csNoStdEvents))
        return;
    MouseUp(button, KeysToShiftState(m.WParam), LParamX(m.LParam), LParamY(m.LParam));
}

void TControl::WMLButtonDown(TMessage& m)
{
    if (FControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents))
        FControlState.Include(csClicked);
    DoMouseDown(m, mbLeft, {});
}

void TControl::WMRButtonDown(TMessage& m)
{
    DoMouseDown(m, mbRight, {});
}

void TControl::WMMButtonDown(TMessage& m)
{
    DoMouseDown(m, mbMiddle, {});
}

void TControl::WMLButtonDblClk(TMessage& m)
{
    if (FControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents))
        DblClick();
    DoMouseDown(m, mbLeft, { ssDouble });
}

void TControl::WMRButtonDblClk(TMessage& m)
{
    DoMouseDown(m, mbRight, { ssDouble });
}

void TControl::WMMouseMove(TMessage& m)
{
    if (FControlStyle.Contains(csNoStdEvents))
        return;
    MouseMove(KeysToShiftState(m.WParam), LParamX(m.LParam), LParamY(m.LParam));
}

void TControl::WMLButtonUp(TMessage& m)
{
    if (FControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(false);
    if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        if (ClientRect().Contains({ LParamX(m.LParam), LParamY(m.LParam) }))
            Click();
    }
    DoMouseUp(m, mbLeft);
}

void TControl::WMRButtonUp(TMessage& m)
{
    DoMouseUp(m, mbRight);
}

void TControl::WMMButtonUp(TMessage& m)
{
    DoMouseUp(m, mbMiddle);
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (FParentFont && FParent) {
        FFont->Assign(&FParent->Font());
        FParentFont = true;
    }
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (FParentColor && FParent) {
        SetColor(FParent->Color());
        FParentColor = true;
    }
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (FParentShowHint && FParent) {
        SetShowHint(FParent->ShowHint());
        FParentShowHint = true;
    }
}

void TControl::CMHitTest(TMessage& m)
{
    m.Result = 1; // the whole rectangle can be hit
}

// ---------------------------------------------------------------------------------------------
// TWinControl

PK_CLASS_IMPL(TWinControl, TControl, &CreateComponent<TWinControl>)

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner)
{
}

TWinControl::~TWinControl()
{
    SetComponentStateFlag(csDestroying, true);
    // Leave the parent while still a windowed control, so the parent drops the right entry.
    if (FParent)
        FParent->RemoveControl(this);
    // Children go with their parent, as the class library does, whoever owns them.
    while (!FControls.empty() || !FWinControls.empty()) {
        TControl* child = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
        if (!FWinControls.empty())
            FWinControls.pop_back();
        else
            FControls.pop_back();
        child->FParent = nullptr;
        delete child;
    }
    if (FHandle) {
        SetWindowProc(FHandle, nullptr);
        HandleMap().erase(FHandle);
        ::DestroyWindow(FHandle);
        FHandle = 0;
    }
}

TWinControl* TWinControl::FindControl(HWND hwnd)
{
    auto it = HandleMap().find(hwnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

TControl* TWinControl::Controls(int index) const
{
    size_t i = static_cast<size_t>(index);
    if (i < FControls.size())
        return FControls[i];
    return FWinControls.at(i - FControls.size());
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    while (control && control != this)
        control = control->Parent();
    return control == this;
}

void TWinControl::InsertControl(TControl* AControl)
{
    if (AControl->IsWindowed())
        FWinControls.push_back(static_cast<TWinControl*>(AControl));
    else
        FControls.push_back(AControl);
    AControl->FParent = this;
    if (!AControl->FControlState.Contains(csReadingState) && !AControl->IsLoading()) {
        AControl->Perform(CM_PARENTCOLORCHANGED);
        AControl->Perform(CM_PARENTFONTCHANGED);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED);
    }
    if (AControl->IsWindowed() && HandleAllocated()) {
        auto* w = static_cast<TWinControl*>(AControl);
        if (w->Visible())
            w->HandleNeeded();
        w->UpdateControlState();
    }
    if (AControl->Align() != alNone)
        Realign();
    AControl->Invalidate();
    NotifyControlChange(AControl, true);
}

void TWinControl::RemoveControl(TControl* AControl)
{
    // Both lists are searched: a control being destroyed no longer knows that it was windowed.
    auto inWin = std::find(FWinControls.begin(), FWinControls.end(), AControl);
    auto inGraphic = std::find(FControls.begin(), FControls.end(), AControl);
    if (inWin == FWinControls.end() && inGraphic == FControls.end())
        return;
    NotifyControlChange(AControl, false);
    inWin = std::find(FWinControls.begin(), FWinControls.end(), AControl);
    if (inWin != FWinControls.end()) {
        TWinControl* w = *inWin;
        FWinControls.erase(inWin);
        if (w->HandleAllocated())
            w->DestroyHandle();
    } else {
        inGraphic = std::find(FControls.begin(), FControls.end(), AControl);
        if (inGraphic == FControls.end())
            return;
        if (!IsDestroying())
            AControl->Invalidate();
        FControls.erase(inGraphic);
    }
    AControl->FParent = nullptr;
    if (!IsDestroying())
        Realign();
}

void TWinControl::NotifyControlChange(TControl* control, bool inserting)
{
    if (IsDestroying())
        return;
    Perform(CM_CONTROLCHANGE, ToWParam(control), inserting ? 1 : 0);
}

void TWinControl::Broadcast(TMessage& Message)
{
    for (int i = 0; i < ControlCount(); ++i) {
        Controls(i)->WindowProc(Message);
        if (Message.Result != 0)
            return;
    }
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) const
{
    auto hits = [&](TControl* c) {
        if (!(c->Visible() || c->IsDesigning()) || !(c->Enabled() || allowDisabled))
            return false;
        if (!c->BoundsRect().Contains(pos))
            return false;
        TPoint inside = pos - TPoint { c->Left(), c->Top() };
        return c->Perform(CM_HITTEST, 0, MakeLParam(inside.X, inside.Y)) != 0;
    };
    if (allowWinControls)
        for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
            if (hits(*it))
                return *it;
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
        if (hits(*it))
            return *it;
    return nullptr;
}

void TWinControl::CreateParams(TWindowCreateParams& Params)
{
    Params.Parent = Parent() ? Parent()->Handle() : 0;
    Params.Bounds = BoundsRect();
    Params.Caption = Text();
    Params.Name = Name();
    Params.DoubleClicks = ControlStyle().Contains(csDoubleClicks);
    Params.Enabled = Enabled() || IsDesigning();
    Params.Visible = false;
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded()
{
    if (FHandle)
        return;
    if (Parent())
        Parent()->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateHandle()
{
    if (FHandle)
        return;
    CreateWnd();
    for (size_t i = 0; i < FWinControls.size(); ++i)
        if (FWinControls[i]->Visible())
            FWinControls[i]->HandleNeeded();
}

void TWinControl::CreateWnd()
{
    TWindowCreateParams params;
    CreateParams(params);
    params.Proc = [this](TMessage& m) { WindowProc(m); };
    // The control knows its handle before the window's first messages (its size among them).
    params.HandleAssigned = [this](HWND h) {
        FHandle = h;
        HandleMap()[h] = this;
    };
    SetControlState(ControlState() + TControlState { csCreating });
    HWND h = CreateWindowEx(params);
    SetControlState(ControlState() - TControlState { csCreating });
    assert(h && h == FHandle);
    (void)h;
}

void TWinControl::DestroyHandle()
{
    if (!FHandle)
        return;
    for (TWinControl* child : FWinControls)
        child->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd()
{
    HWND h = FHandle;
    SetControlState(ControlState() + TControlState { csDestroyingHandle });
    SetWindowProc(h, nullptr);
    HandleMap().erase(h);
    FHandle = 0;
    FShowing = false;
    ::DestroyWindow(h);
    SetControlState(ControlState() - TControlState { csDestroyingHandle });
}

TRect TWinControl::ClientRect() const
{
    if (FHandle)
        return GetClientRect(FHandle);
    return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() const
{
    if (FHandle)
        return ::ClientToScreen(FHandle, { 0, 0 });
    return TControl::ClientOrigin();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    FAnchorsKnown = false;
    if (FHandle) {
        // The window answers with WM_SIZE, which realigns the children and then notifies.
        SetWindowPos(FHandle, BoundsRect());
        UpdateBounds();
    } else if (sized) {
        Realign();
        if (!IsLoading())
            Resize();
    }
    RequestAlign();
}

void TWinControl::UpdateBounds()
{
    if (!FHandle)
        return;
    TRect b = GetWindowBounds(FHandle);
    FLeft = b.Left;
    FTop = b.Top;
    FWidth = b.Width();
    FHeight = b.Height();
}

void TWinControl::Invalidate()
{
    if (FHandle)
        InvalidateRect(FHandle, nullptr);
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::Update()
{
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    size_t start = 0;
    if (First) {
        auto it = std::find(FControls.begin(), FControls.end(), First);
        start = it == FControls.end() ? 0 : static_cast<size_t>(it - FControls.begin());
    }
    for (size_t i = start; i < FControls.size(); ++i) {
        TControl* c = FControls[i];
        bool visible = c->Visible() || (c->IsDesigning() && !c->ControlStyle().Contains(csNoDesignVisible));
        if (!visible)
            continue;
        TRect onSurface = DC->ToSurface(c->BoundsRect());
        if (onSurface.IsEmpty())
            continue;
        // Each child paints with the origin at its top-left and clipping limited to it.
        TPoint savedOrigin = DC->Origin;
        TRect savedClip = DC->ClipRect;
        DC->IntersectClip(c->BoundsRect());
        DC->Origin = DC->Origin + TPoint { c->Left(), c->Top() };
        try {
            c->PaintTo(DC);
        } catch (...) {
            DC->Origin = savedOrigin;
            DC->ClipRect = savedClip;
            throw;
        }
        DC->Origin = savedOrigin;
        DC->ClipRect = savedClip;
    }
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || FRealigning || IsLoading())
        return;
    FRealigning = true;
    try {
        TRect r = ClientRect();
        AlignControls(nullptr, r);
    } catch (...) {
        FRealigning = false;
        throw;
    }
    FRealigning = false;
}

void TWinControl::AlignControls(TControl*, TRect& Rect)
{
    TPoint parentSize { Rect.Width(), Rect.Height() };
    auto place = [](TControl* c, int l, int t, int w, int h) {
        c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    };
    // Edge-aligned controls take their strips in the order top, bottom, left, right; client
    // controls take what is left.
    for (TAlign kind : { alTop, alBottom, alLeft, alRight, alClient }) {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (c->Align() != kind || !(c->Visible() || c->IsDesigning()))
                continue;
            switch (kind) {
            case alTop:
                place(c, Rect.Left, Rect.Top, Rect.Width(), c->Height());
                Rect.Top += c->Height();
                break;
            case alBottom:
                place(c, Rect.Left, Rect.Bottom - c->Height(), Rect.Width(), c->Height());
                Rect.Bottom -= c->Height();
                break;
            case alLeft:
                place(c, Rect.Left, Rect.Top, c->Width(), Rect.Height());
                Rect.Left += c->Width();
                break;
            case alRight:
                place(c, Rect.Right - c->Width(), Rect.Top, c->Width(), Rect.Height());
                Rect.Right -= c->Width();
                break;
            default:
                place(c, Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
                break;
            }
        }
    }
    // Anchored controls keep their distances to the anchored edges; a control anchored to
    // neither side of an axis keeps its centre at the same proportion of the parent.
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() != alNone)
            continue;
        if (!c->FAnchorsKnown) {
            c->FAnchorOrigin = { c->Left(), c->Top() };
            c->FAnchorParentSize = parentSize;
            c->FAnchorsKnown = true;
            continue;
        }
        TPoint old = c->FAnchorParentSize;
        if (old == parentSize || old.X <= 0 || old.Y <= 0)
            continue;
        TAnchors a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        int dx = parentSize.X - old.X, dy = parentSize.Y - old.Y;
        if (a.Contains(akRight) && a.Contains(akLeft))
            w += dx;
        else if (a.Contains(akRight))
            l += dx;
        else if (!a.Contains(akLeft))
            l = (c->FAnchorOrigin.X + w / 2) * parentSize.X / old.X - w / 2;
        if (a.Contains(akBottom) && a.Contains(akTop))
            h += dy;
        else if (a.Contains(akBottom))
            t += dy;
        else if (!a.Contains(akTop))
            t = (c->FAnchorOrigin.Y + h / 2) * parentSize.Y / old.Y - h / 2;
        c->SetBounds(l, t, w, h);
        c->FAnchorOrigin = { c->Left(), c->Top() };
        c->FAnchorParentSize = parentSize;
        c->FAnchorsKnown = true;
    }
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Owner() == Root)
            Proc(c);
    }
}

void TWinControl::WndProc(TMessage& Message)
{
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && !IsDesigning()) {
        if (IsControlMouseMsg(Message))
            return;
    }
    TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& m)
{
    TControl* control = nullptr;
    if (FHandle && GetCapture() == FHandle) {
        TControl* captured = CaptureControlRef();
        if (captured && captured->Parent() == this)
            control = captured;
    } else {
        control = ControlAtPos({ LParamX(m.LParam), LParamY(m.LParam) }, false);
    }
    if (!control)
        return false;
    int x = LParamX(m.LParam) - control->Left();
    int y = LParamY(m.LParam) - control->Top();
    m.Result = control->Perform(m.Msg, m.WParam, MakeLParam(x, y));
    return true;
}

void TWinControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT:
        WMPaint(m);
        return;
    case WM_SIZE:
        WMSize(m);
        return;
    case WM_MOVE:
        WMMove(m);
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(m);
        return;
    case CM_VISIBLECHANGED:
        CMVisibleChanged(m);
        return;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(m);
        return;
    case CM_COLORCHANGED:
        CMColorChanged(m);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(m);
        return;
    case CM_SYSCOLORCHANGE:
        CMSysColorChange(m);
        return;
    case CM_SHOWHINTCHANGED:
        CMShowHintChanged(m);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(m);
        return;
    case WM_CHAR:
    case WM_SYSCHAR: {
        // An accelerator: the form asks its controls whether one takes the character.
        TWinControl* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) {
            m.Result = 1;
            return;
        }
        DefaultHandler(m);
        return;
    }
    default:
        TControl::Dispatch(m);
    }
}

void TWinControl::DefaultHandler(TMessage&)
{
}

void TWinControl::PaintWindow(HDC)
{
}

void TWinControl::WMPaint(TMessage& m)
{
    PaintHandler(m);
}

void TWinControl::PaintHandler(TMessage& m)
{
    if (m.WParam) {
        // Painting into a given device context (a region scan paints the children into a bitmap).
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        PaintWindow(dc);
        PaintControls(dc, nullptr);
        return;
    }
    TPaintStruct ps = BeginPaint(FHandle);
    try {
        if (!ControlStyle().Contains(csOpaque)) {
            // The window's background is its colour, as the system's erase step gives it.
            TCanvas erase;
            erase.SetHandle(ps.DC.get());
            erase.Brush().SetColor(Color());
            erase.FillRect(ps.Paint);
            erase.SetHandle(nullptr);
        }
        PaintWindow(ps.DC.get());
        PaintControls(ps.DC.get(), nullptr);
    } catch (...) {
        EndPaint(FHandle, ps);
        throw;
    }
    EndPaint(FHandle, ps);
}

void TWinControl::WMSize(TMessage&)
{
    UpdateBounds();
    Realign();
    if (!IsLoading())
        Resize();
}

void TWinControl::WMMove(TMessage&)
{
    UpdateBounds();
}

void TWinControl::UpdateShowing()
{
    // A windowed control shows when it is visible; whether that reaches the screen is its
    // parents' business (UpdateControlState only starts here when they all show).
    bool show = (Visible() || (IsDesigning() && !ControlStyle().Contains(csNoDesignVisible)))
        && !ControlState().Contains(csReadingState);
    if (show) {
        if (!FHandle)
            CreateHandle();
        for (size_t i = 0; i < FWinControls.size(); ++i)
            FWinControls[i]->UpdateShowing();
    }
    if (FHandle && FShowing != show) {
        FShowing = show;
        try {
            Perform(CM_SHOWINGCHANGED);
        } catch (...) {
            FShowing = !show;
            throw;
        }
    }
}

void TWinControl::UpdateControlState()
{
    for (TWinControl* p = Parent(); p; p = p->Parent())
        if (!p->Showing())
            return;
    UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&)
{
    if (FHandle)
        ShowWindow(FHandle, FShowing ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::CMVisibleChanged(TMessage&)
{
    if (!IsDesigning() || ControlStyle().Contains(csNoDesignVisible))
        UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&)
{
    if (FHandle && !IsDesigning())
        EnableWindow(FHandle, Enabled());
}

void TWinControl::CMColorChanged(TMessage& m)
{
    TControl::Dispatch(m); // invalidates
    TMessage notify { CM_PARENTCOLORCHANGED, 0, 0, 0 };
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->WindowProc(notify);
}

void TWinControl::CMFontChanged(TMessage& m)
{
    TControl::Dispatch(m);
    TMessage notify { CM_PARENTFONTCHANGED, 0, 0, 0 };
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->WindowProc(notify);
}

void TWinControl::CMSysColorChange(TMessage& m)
{
    Broadcast(m);
}

void TWinControl::CMShowHintChanged(TMessage&)
{
    TMessage notify { CM_PARENTSHOWHINTCHANGED, 0, 0, 0 };
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->WindowProc(notify);
}

void TWinControl::CMDialogChar(TMessage& m)
{
    Broadcast(m);
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl and TCustomControl

PK_CLASS_IMPL(TGraphicControl, TControl, &CreateComponent<TGraphicControl>)

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner)
    , FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() = default;

TCanvas& TGraphicControl::Canvas() const
{
    return *FCanvas;
}

void TGraphicControl::Dispatch(TMessage& m)
{
    if (m.Msg == WM_PAINT && m.WParam) {
        PaintTo(reinterpret_cast<HDC>(m.WParam));
        return;
    }
    TControl::Dispatch(m);
}

void PaintOnCanvas(TCanvas& canvas, HDC dc, const std::function<void()>& paint)
{
    canvas.Lock();
    try {
        canvas.SetHandle(dc);
        paint();
    } catch (...) {
        canvas.SetHandle(nullptr);
        canvas.Unlock();
        throw;
    }
    canvas.SetHandle(nullptr);
    canvas.Unlock();
}

void TGraphicControl::PaintTo(HDC dc)
{
    PaintOnCanvas(*FCanvas, dc, [this] { Paint(); });
}

PK_CLASS_IMPL(TCustomControl, TWinControl, &CreateComponent<TCustomControl>)

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner)
    , FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl()
{
    FCanvas->FreeHandle();
}

TCanvas& TCustomControl::Canvas() const
{
    return *FCanvas;
}

void TCustomControl::PaintWindow(HDC DC)
{
    PaintOnCanvas(*FCanvas, DC, [this] { Paint(); });
}

void TCustomControl::DestroyWnd()
{
    FCanvas->FreeHandle();
    TWinControl::DestroyWnd();
}

// ---------------------------------------------------------------------------------------------
// TControlCanvas

namespace {
std::vector<TControlCanvas*>& CanvasesWithWindowDC()
{
    static std::vector<TControlCanvas*> list;
    return list;
}
}

TControlCanvas::TControlCanvas(TControl* control)
    : FControl(control)
{
}

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::FreeHandle()
{
    if (FOwnDC && AttachedHandle() == FOwnDC.get())
        SetHandle(nullptr);
    FOwnDC.reset();
    auto& list = CanvasesWithWindowDC();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::FreeDeviceContexts()
{
    std::vector<TControlCanvas*> list = CanvasesWithWindowDC();
    for (TControlCanvas* c : list)
        if (c->LockCount() == 0)
            c->FreeHandle();
}

void TControlCanvas::CreateHandle()
{
    // Outside a paint the canvas draws straight onto the window: the control's own, or for a
    // graphic control its parent's, with the origin at the control and clipping limited to it.
    TWinControl* window = FControl->IsWindowed() ? static_cast<TWinControl*>(FControl) : FControl->Parent();
    if (!window)
        return;
    FOwnDC = GetDC(window->Handle());
    if (!FControl->IsWindowed()) {
        FOwnDC->IntersectClip(FControl->BoundsRect());
        FOwnDC->Origin = FOwnDC->Origin + TPoint { FControl->Left(), FControl->Top() };
    }
    SetHandle(FOwnDC.get());
    CanvasesWithWindowDC().push_back(this);
}
