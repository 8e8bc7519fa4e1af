#pragma once
// TCustomForm/TForm, TApplication, TScreen and TMouse.
//
// A form is a top-level windowed control. Its outer bounds are Left, Top, Width and Height in
// screen pixels, before and after its window exists; its border style decides the frame (a tool
// window has a 3-pixel border and a 19-pixel caption) and so the client size. Setting
// ClientWidth or ClientHeight resizes the form, realigns its children and delivers the size
// notifications before the setter returns.
//
// Creation order: the derived form's constructor reads its description first
// (ReadDescription), so the children exist, their properties are set and Loaded has run before the
// rest of the constructor body; TApplication::CreateForm then calls AfterConstruction, which raises
// OnCreate. Close() on the application's main form ends the message loop; on another form it only
// hides it.
//
// TApplication runs the message loop: posted and input messages, then paints, then timers, as the
// window system orders them; whatever escapes a handler is shown in the error box (the exception's
// message, the application title as caption, the error icon) and the loop goes on. It also tracks
// the control under the pointer and sends CM_MOUSELEAVE and CM_MOUSEENTER when it changes.

#include "platform/base/Exception.h"
#include "platform/ui/Controls.h"

#include <memory>
#include <new>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// Why a form closes, for the trace.
enum TCloseReason { crCode, crUser, crIdle };

// A form's scroll bar settings as descriptions store them (only Visible matters here).
class TControlScrollBar : public TPersistent {
    PK_CLASS(TControlScrollBar)
public:
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    int Range() const { return FRange; }
    void SetRange(int v) { FRange = v; }
    void Assign(const TPersistent* Source) override;

private:
    bool FVisible = true;
    int FRange = 0;
};

class TCustomForm : public TWinControl {
    PK_CLASS(TCustomForm)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Reads the form's description from the embedded resource of that name.
    void ReadDescription(const AnsiString& resourceName);
    // Raises OnCreate; TApplication::CreateForm calls it once construction is over.
    virtual void AfterConstruction();

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value) { FBorderIcons = value; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool v) { FScaled = v; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int v) { FTextHeight = v; }
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
    TControlScrollBar& HorzScrollBar() const { return *FHorzScrollBar; }
    TControlScrollBar& VertScrollBar() const { return *FVertScrollBar; }

    TRect ClientRect() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetVisible(bool value) override;
    TWindowFrame Frame() const;

    // The canvas of the client area: drawing goes to the form's own pixels; reading sees what the
    // client area shows (the form's drawing and its child windows through their regions).
    TCanvas& Canvas() const;

    void Close() { CloseFor(crCode); }
    void CloseFor(TCloseReason reason);
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    bool InModalLoop() const { return FModal; }

    void Dispatch(TMessage& Message) override;
    // Message boxes are traced by their own line when they close, not by their moves.
    void SetTraceWindowEvents(bool on) { FTraceWindowEvents = on; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TWindowCreateParams& Params) override;
    void PaintWindow(HDC DC) override;
    virtual void Paint();
    void DestroyWnd() override;
    void WMClose(TMessage& m);
    void CMShowingChanged(TMessage& m);
    void WMKeyDown(TMessage& m);
    void TraceBounds(const TRect& before);

private:
    TFormBorderStyle FBorderStyle = bsSizeable;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDefaultPosOnly;
    TBorderIcons FBorderIcons { biSystemMenu, biMinimize, biMaximize };
    bool FScaled = true;
    int FPixelsPerInch = 96;
    int FTextHeight = 12;
    bool FOldCreateOrder = false;
    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
    std::unique_ptr<TControlCanvas> FCanvas;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FTracedVisible = false;
    bool FTraceWindowEvents = true;
};

class TForm : public TCustomForm {
    PK_CLASS(TForm)
public:
    explicit TForm(TComponent* AOwner);
};

class TApplication : public TComponent {
    PK_CLASS(TApplication)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& title) { FTitle = title; }

    // Creates a form owned by the application; the reference is assigned before the form's
    // constructor runs, so the form's own code can use it. The first form becomes the main form
    // and gets its window.
    template <class T>
    void CreateForm(T*& Reference)
    {
        void* memory = ::operator new(sizeof(T));
        Reference = static_cast<T*>(memory);
        T* form = nullptr;
        try {
            form = new (memory) T(this);
        } catch (...) {
            Reference = nullptr;
            ::operator delete(memory);
            throw;
        }
        FormCreated(form);
    }

    TCustomForm* MainForm() const { return FMainForm; }
    void Run();
    void ProcessMessages();
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    // Shows the error box for the exception being handled (inside a catch block).
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    int MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags);
    // 1 when an error box was shown during the run, else 0.
    int ExitCode() const { return FErrorShown ? 1 : 0; }
    bool ErrorShown() const { return FErrorShown; }
    // Called by the program's end: writes the trace's exit line and gives the exit status.
    int Finish();

    TNotifyEvent OnIdle;

    // The pointer tracking of the idle step (tests call it after moving the pointer).
    void DoMouseIdle();
    // Forgets a control that goes away.
    void ForgetControl(TControl* control)
    {
        if (FMouseControl == control)
            FMouseControl = nullptr;
    }

private:
    void FormCreated(TCustomForm* form);
    bool ProcessMessage();
    void Idle();

    AnsiString FTitle;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FErrorShown = false;
    TControl* FMouseControl = nullptr;
    friend class TCustomForm;
    friend class TControl;
};

// The application object; created by InitApplication (the program entry and tests call it).
extern TApplication* Application;
void InitApplication();
void DoneApplication();

class TScreen {
public:
    int Width() const;
    int Height() const;
    // The visible top-level forms, topmost last.
    int FormCount() const;
};

class TMouse {
public:
    TPoint CursorPos() const { return GetCursorPos(); }
    HWND Capture() const { return GetCapture(); }
};

extern TScreen* Screen;
extern TMouse* Mouse;

// Changes a system colour and tells every form (CM_SYSCOLORCHANGE through its controls).
void ChangeSystemColor(int index, TColor value);
// Forgets the control under the pointer when it goes away.
void ControlDestroyed(TControl* control);
