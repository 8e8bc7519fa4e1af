#include "platform/ui/Forms.h"

#include "platform/base/CodePage.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Trace.h"
#include "platform/ui/FormReader.h"
#include "platform/ui/UiRegistration.h"

#include <algorithm>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

namespace {
TScreen gScreen;
TMouse gMouse;
}

// ---------------------------------------------------------------------------------------------

PK_CLASS_IMPL(TControlScrollBar, TPersistent, nullptr)

void TControlScrollBar::Assign(const TPersistent* Source)
{
    if (auto* s = dynamic_cast<const TControlScrollBar*>(Source)) {
        FVisible = s->FVisible;
        FRange = s->FRange;
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// TCustomForm

PK_CLASS_IMPL(TCustomForm, TWinControl, &CreateComponent<TCustomForm>)
PK_CLASS_IMPL(TForm, TCustomForm, &CreateComponent<TForm>)

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner)
    , FHorzScrollBar(std::make_unique<TControlScrollBar>())
    , FVertScrollBar(std::make_unique<TControlScrollBar>())
    , FCanvas(std::make_unique<TControlCanvas>(this))
{
    SetControlStyle({ csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks });
    // A form starts hidden: the application shows its main form when the loop starts.
    TControl::SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    FLeft = 0;
    FTop = 0;
    FWidth = 320;
    FHeight = 240;
}

TForm::TForm(TComponent* AOwner)
    : TCustomForm(AOwner)
{
}

TCustomForm::~TCustomForm()
{
    SetComponentStateFlag(csDestroying, true);
    if (Application && Application->FMainForm == this)
        Application->FMainForm = nullptr;
    FCanvas->FreeHandle();
    // The owned components go while the form is still a form.
    DestroyComponents();
}

void TCustomForm::ReadDescription(const AnsiString& resourceName)
{
    ReadFormDescription(this, resourceName);
}

void TCustomForm::AfterConstruction()
{
    // What escapes OnCreate is shown in the error box and creation goes on.
    try {
        OnCreate(this);
    } catch (...) {
        if (!Application)
            throw;
        Application->HandleException(this);
    }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (FFormStyle == value)
        return;
    FFormStyle = value;
    if (HandleAllocated())
        SetStayOnTop(FHandle, value == fsStayOnTop);
}

TWindowFrame TCustomForm::Frame() const
{
    switch (FBorderStyle) {
    case bsNone:
        return wfNone;
    case bsDialog:
        return wfDialog;
    default:
        // Every captioned style has the tool window's frame here: the toy needs no other.
        return wfToolWindow;
    }
}

TRect TCustomForm::ClientRect() const
{
    if (FHandle)
        return GetClientRect(FHandle);
    TPoint frame = FrameSizeFor(Frame(), 0, 0);
    return { 0, 0, std::max(0, FWidth - frame.X), std::max(0, FHeight - frame.Y) };
}

void TCustomForm::TraceBounds(const TRect& before)
{
    if (!TraceEnabled() || !FTraceWindowEvents)
        return;
    if (before.Left != FLeft || before.Top != FTop)
        TraceLine({ "move", Name(), IntToStr(FLeft), IntToStr(FTop) });
    if (before.Width() != FWidth || before.Height() != FHeight)
        TraceLine({ "size", Name(), IntToStr(FWidth), IntToStr(FHeight) });
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (Frame() != wfNone) {
        AWidth = std::max(AWidth, MinCaptionedWidth);
        AHeight = std::max(AHeight, MinCaptionedHeight);
    }
    TRect before = BoundsRect();
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    TraceBounds(before);
}

void TCustomForm::SetVisible(bool value)
{
    TWinControl::SetVisible(value);
}

TCanvas& TCustomForm::Canvas() const
{
    return *FCanvas;
}

void TCustomForm::CreateParams(TWindowCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.Parent = 0;
    Params.Frame = Frame();
    Params.StayOnTop = FFormStyle == fsStayOnTop;
    if (FPosition == poScreenCenter || FPosition == poDesktopCenter) {
        TPoint screen = HasDisplayDriver() ? DisplayDriver().ScreenSize() : TPoint { 1920, 1080 };
        TRect before = BoundsRect();
        FLeft = (screen.X - FWidth) / 2;
        FTop = (screen.Y - FHeight) / 2;
        TraceBounds(before);
        Params.Bounds = BoundsRect();
    }
}

void TCustomForm::PaintWindow(HDC DC)
{
    PaintOnCanvas(*FCanvas, DC, [this] { Paint(); });
}

void TCustomForm::Paint()
{
    OnPaint(this);
}

void TCustomForm::DestroyWnd()
{
    FCanvas->FreeHandle();
    TWinControl::DestroyWnd();
}

void TCustomForm::CloseFor(TCloseReason reason)
{
    static const char* const reasons[] = { "code", "user", "idle" };
    TraceLine({ "close", Name(), reasons[reason] });
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    bool canClose = true;
    OnCloseQuery(this, canClose);
    if (!canClose)
        return;
    TCloseAction action = caHide;
    OnClose(this, action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this) {
        if (HasDisplayDriver() && HandleAllocated())
            DisplayDriver().MainWindowClosing(FHandle);
        Application->Terminate();
    } else {
        Hide();
    }
}

TModalResult TCustomForm::ShowModal()
{
    // Every other top-level window is disabled while the modal form runs its own loop.
    std::vector<HWND> disabled;
    for (int i = 0; Application && i < Application->ComponentCount(); ++i) {
        auto* f = dynamic_cast<TCustomForm*>(Application->Components(i));
        if (f && f != this && f->HandleAllocated() && IsWindowEnabled(f->FHandle)) {
            EnableWindow(f->FHandle, false);
            disabled.push_back(f->FHandle);
        }
    }
    FModal = true;
    FModalResult = mrNone;
    Show();
    SetFocus(Handle());
    auto restore = [&] {
        FModal = false;
        for (HWND h : disabled)
            EnableWindow(h, true);
        Hide();
    };
    try {
        while (FModalResult == mrNone && Application && !Application->Terminated())
            Application->HandleMessage();
    } catch (...) {
        restore();
        throw;
    }
    if (FModalResult == mrNone)
        FModalResult = mrCancel;
    restore();
    return FModalResult;
}

void TCustomForm::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_CLOSE:
        WMClose(m);
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(m);
        return;
    case WM_KEYDOWN:
        WMKeyDown(m);
        return;
    default:
        TWinControl::Dispatch(m);
    }
}

void TCustomForm::WMClose(TMessage& m)
{
    CloseFor(m.WParam == CloseByIdle ? crIdle : crUser);
}

void TCustomForm::WMKeyDown(TMessage& m)
{
    // Return and Escape go to the default and cancel buttons as a dialog key.
    if (m.WParam == static_cast<WPARAM>(VK_RETURN) || m.WParam == static_cast<WPARAM>(VK_ESCAPE)) {
        TMessage key { CM_DIALOGKEY, m.WParam, 0, 0 };
        Broadcast(key);
        if (key.Result)
            m.Result = 1;
    }
}

void TCustomForm::CMShowingChanged(TMessage& m)
{
    bool showing = Showing();
    if (!FTraceWindowEvents) {
    } else if (showing && !FTracedVisible) {
        FTracedVisible = true;
        TraceLine({ "show", Name() });
    } else if (!showing && FTracedVisible) {
        FTracedVisible = false;
        TraceLine({ "hide", Name() });
    }
    if (FHandle)
        ShowWindow(FHandle, showing ? SW_SHOW : SW_HIDE);
    (void)m;
    if (showing)
        OnShow(this);
    else
        OnHide(this);
}

// ---------------------------------------------------------------------------------------------
// TApplication

PK_CLASS_IMPL(TApplication, TComponent, nullptr)

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner)
{
}

TApplication::~TApplication()
{
    DestroyComponents();
}

void InitApplication()
{
    RegisterStandardClasses();
    if (!Application)
        Application = new TApplication(nullptr);
    Screen = &gScreen;
    Mouse = &gMouse;
}

void DoneApplication()
{
    delete Application;
    Application = nullptr;
}

void TApplication::Initialize()
{
}

void TApplication::FormCreated(TCustomForm* form)
{
    form->AfterConstruction();
    if (!FMainForm) {
        form->HandleNeeded();
        FMainForm = form;
        if (HasDisplayDriver())
            DisplayDriver().MainWindowCreated(form->Handle());
    }
}

void TApplication::Run()
{
    if (!FMainForm)
        return;
    FMainForm->Show();
    while (!FTerminated)
        HandleMessage();
}

bool TApplication::ProcessMessage()
{
    if (QuitRequested()) {
        FTerminated = true;
        return true;
    }
    TMsg msg;
    if (!PeekMessage(msg, 0, 0, 0, PM_REMOVE))
        return false;
    try {
        DispatchMessage(msg);
    } catch (...) {
        HandleException(this);
    }
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
        DoMouseIdle();
    return true;
}

void TApplication::HandleMessage()
{
    if (!ProcessMessage()) {
        Idle();
        if (!FTerminated && !QuitRequested())
            WaitMessage();
    }
}

void TApplication::ProcessMessages()
{
    while (ProcessMessage()) {
        if (FTerminated)
            break;
    }
}

void TApplication::Idle()
{
    TControlCanvas::FreeDeviceContexts();
    DoMouseIdle();
    OnIdle(this);
}

void TApplication::DoMouseIdle()
{
    TControl* control = FindDragTarget(GetCursorPos(), true);
    if (control == FMouseControl)
        return;
    TControl* capture = GetCaptureControl();
    // While something holds the pointer, only the capturing control hears of entering and leaving.
    if (FMouseControl && (!capture || capture == FMouseControl))
        FMouseControl->Perform(CM_MOUSELEAVE);
    FMouseControl = control;
    if (FMouseControl && (!capture || capture == FMouseControl))
        FMouseControl->Perform(CM_MOUSEENTER);
}

void TApplication::Terminate()
{
    FTerminated = true;
    PostQuitMessage(ExitCode());
}

void TApplication::HandleException(TObject*)
{
    try {
        throw;
    } catch (const Exception& e) {
        ShowException(e);
    } catch (const std::bad_alloc&) {
        ShowException(Exception(Utf8ToActive("メモリが不足しています")));
    } catch (...) {
        ShowException(Exception(""));
    }
}

void TApplication::ShowException(const Exception& E)
{
    FErrorShown = true;
    AnsiString text = E.Message();
    MessageBox(text, FTitle, MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags)
{
    return ShowMessageBox(Text, Caption, Flags);
}

int TApplication::Finish()
{
    int code = ExitCode();
    TraceLine({ "exit", IntToStr(code) });
    return code;
}

void ControlDestroyed(TControl* control)
{
    if (Application)
        Application->ForgetControl(control);
}

// ---------------------------------------------------------------------------------------------

int TScreen::Width() const
{
    return HasDisplayDriver() ? DisplayDriver().ScreenSize().X : 1920;
}

int TScreen::Height() const
{
    return HasDisplayDriver() ? DisplayDriver().ScreenSize().Y : 1080;
}

int TScreen::FormCount() const
{
    int n = 0;
    for (int i = 0; Application && i < Application->ComponentCount(); ++i)
        if (dynamic_cast<TCustomForm*>(Application->Components(i)))
            ++n;
    return n;
}

void ChangeSystemColor(int index, TColor value)
{
    SetSysColor(index, value);
    for (int i = 0; Application && i < Application->ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TCustomForm*>(Application->Components(i))) {
            f->Perform(CM_SYSCOLORCHANGE);
            f->Invalidate();
        }
}
