#pragma once
// Small component classes published the way controls and forms will be: a control that nests
// under a parent, a panel that re-publishes Width with its own default, a timer whose OnTimer
// setter depends on Interval having been read, and a form (through a base class) with published
// methods and fields. Every setter and hook notes what it saw in Journal().

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Filer.h"
#include "platform/graphics/Font.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TTestAlign { taNone, taTop, taClient };
enum TTestAnchor { tkLeft, tkTop, tkRight, tkBottom };
using TTestAnchors = TSet<TTestAnchor>;

// "Name what [loading] [reading]" lines, in the order things happened.
std::vector<std::string>& Journal();
void Note(const TComponent* c, const std::string& what);

// A picture-like owned object that stores its bytes as the defined property Data; ResourceName
// is kept when they came from a resource so that the writer names the resource again.
class TTestPicture : public TPersistent {
    PK_CLASS(TTestPicture)
public:
    std::vector<std::uint8_t> Data;
    AnsiString DataResource;
    void DefineProperties(TFiler& Filer) override;
};

class TTestControl : public TComponent {
    PK_CLASS(TTestControl)
public:
    explicit TTestControl(TComponent* AOwner);

    int Left() const { return FLeft; }
    void SetLeft(int v);
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    TTestAlign Align() const { return FAlign; }
    void SetAlign(TTestAlign v) { FAlign = v; }
    TTestAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TTestAnchors v) { FAnchors = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v) { FParentFont = v; }
    TFont* Font() const { return FFont.get(); }
    bool IsFontStored() const { return !FParentFont; }
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& v) { FCaption = v; }
    TTestControl* Buddy() const { return FBuddy; }
    void SetBuddy(TTestControl* v) { FBuddy = v; }
    TNotifyEvent OnClick;

    TTestPicture* Picture() const { return FPicture.get(); }

    TComponent* Parent() const { return FParent; }

    void ReadState(TReader& Reader) override;
    void Loaded() override;
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return FParent; }
    void SetParentComponent(TComponent* Value) override { FParent = Value; }
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

private:
    int FLeft = 0;
    int FWidth = 100;
    TTestAlign FAlign = taNone;
    TTestAnchors FAnchors { tkLeft, tkTop };
    bool FVisible = true;
    TColor FColor = clBtnFace;
    bool FParentFont = true;
    std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
    AnsiString FCaption;
    std::unique_ptr<TTestPicture> FPicture = std::make_unique<TTestPicture>();
    TTestControl* FBuddy = nullptr;
    TComponent* FParent = nullptr;
};

class TTestPanel : public TTestControl {
    PK_CLASS(TTestPanel)
public:
    explicit TTestPanel(TComponent* AOwner);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v) { FBevelWidth = v; }

private:
    int FBevelWidth = 1;
};

class TTestTimer : public TComponent {
    PK_CLASS(TTestTimer)
public:
    explicit TTestTimer(TComponent* AOwner) : TComponent(AOwner) { }
    int Interval() const { return FInterval; }
    void SetInterval(int v);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& v);
    void Loaded() override;

private:
    int FInterval = 1000;
    TNotifyEvent FOnTimer;
};

class TTestFormBase : public TComponent {
    PK_CLASS(TTestFormBase)
public:
    explicit TTestFormBase(TComponent* AOwner);
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    TFont* Font() const { return FFont.get(); }
    TNotifyEvent OnCreate;

    void BaseClick(TObject* Sender);
    std::vector<std::string> Calls; // "Method(SenderName)"

    void ReadState(TReader& Reader) override;
    void Loaded() override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

private:
    AnsiString FCaption;
    TColor FColor = clBtnFace;
    std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
};

class TTestForm : public TTestFormBase {
    PK_CLASS(TTestForm)
public:
    explicit TTestForm(TComponent* AOwner) : TTestFormBase(AOwner) { }
    void FormCreate(TObject* Sender);
    void FormMouse(TObject* Sender, int X);

    TTestPanel* Panel1 = nullptr;
    TTestControl* Button1 = nullptr;
};
