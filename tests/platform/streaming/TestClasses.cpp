#include "TestClasses.h"

#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Published.h"

std::vector<std::string>& Journal()
{
    static std::vector<std::string> journal;
    return journal;
}

void Note(const TComponent* c, const std::string& what)
{
    std::string line = c->Name() + " " + what;
    if (c->ComponentState().Contains(csLoading))
        line += " loading";
    if (c->ComponentState().Contains(csReading))
        line += " reading";
    Journal().push_back(line);
}

static std::string SenderName(TObject* sender)
{
    auto* c = dynamic_cast<TComponent*>(sender);
    return c ? c->Name() : std::string("?");
}

PK_CLASS_IMPL(TTestPicture, TPersistent, nullptr)
PK_CLASS_IMPL(TTestControl, TComponent, &CreateComponent<TTestControl>)
PK_CLASS_IMPL(TTestPanel, TTestControl, &CreateComponent<TTestPanel>)
PK_CLASS_IMPL(TTestTimer, TComponent, &CreateComponent<TTestTimer>)
PK_CLASS_IMPL(TTestFormBase, TComponent, nullptr)
PK_CLASS_IMPL(TTestForm, TTestFormBase, &CreateComponent<TTestForm>)

TTestControl::TTestControl(TComponent* AOwner)
    : TComponent(AOwner)
{
}

void TTestControl::SetLeft(int v)
{
    FLeft = v;
    Note(this, "Left parent=" + (FParent ? FParent->Name() : std::string("none")));
}

void TTestPicture::DefineProperties(TFiler& Filer)
{
    Filer.DefineProperty(
        "Data",
        [this](const TFilerData& d) {
            Data = d.Bytes;
            DataResource = d.ResourceName;
        },
        [this] { return TFilerData { Data, DataResource }; }, !Data.empty() || !DataResource.empty());
}

void TTestControl::ReadState(TReader& Reader)
{
    Note(this, "ReadState");
    TComponent::ReadState(Reader);
}

void TTestControl::Loaded()
{
    Note(this, "Loaded");
    TComponent::Loaded();
}

// The root owns every component; a container's children are those whose parent it is.
static void ChildrenOf(const TComponent* container, const std::function<void(TComponent*)>& Proc, TComponent* Root,
    bool withUnparented)
{
    for (int i = 0; i < Root->ComponentCount(); ++i) {
        TComponent* c = Root->Components(i);
        if (c->HasParent() ? c->GetParentComponent() == container : withUnparented)
            Proc(c);
    }
}

void TTestControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const
{
    ChildrenOf(this, Proc, Root, false);
}

TTestPanel::TTestPanel(TComponent* AOwner)
    : TTestControl(AOwner)
{
    SetWidth(260);
}

void TTestTimer::SetInterval(int v)
{
    FInterval = v;
    Note(this, "Interval");
}

void TTestTimer::SetOnTimer(const TNotifyEvent& v)
{
    FOnTimer = v;
    Note(this, "OnTimer interval=" + std::to_string(FInterval));
}

void TTestTimer::Loaded()
{
    Note(this, "Loaded");
    TComponent::Loaded();
}

TTestFormBase::TTestFormBase(TComponent* AOwner)
    : TComponent(AOwner)
{
}

void TTestFormBase::SetCaption(const AnsiString& v)
{
    FCaption = v;
    Note(this, "Caption");
}

void TTestFormBase::BaseClick(TObject* Sender)
{
    Calls.push_back("BaseClick(" + SenderName(Sender) + ")");
}

void TTestFormBase::ReadState(TReader& Reader)
{
    Note(this, "ReadState");
    TComponent::ReadState(Reader);
}

void TTestFormBase::Loaded()
{
    Note(this, "Loaded");
    TComponent::Loaded();
}

void TTestFormBase::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const
{
    ChildrenOf(this, Proc, Root, true);
}

void TTestForm::FormCreate(TObject* Sender)
{
    Calls.push_back("FormCreate(" + SenderName(Sender) + ")");
}

void TTestForm::FormMouse(TObject*, int)
{
}

namespace {

constexpr auto AlignNames = EnumNames<TTestAlign>("taNone", "taTop", "taClient");
constexpr auto AnchorNames = EnumNames<TTestAnchor>("tkLeft", "tkTop", "tkRight", "tkBottom");

const TPropertyTable& ControlProperties()
{
    static const TPropertyTable table = Properties<TTestControl>().Inherit()
        .Int("Left", &TTestControl::Left, &TTestControl::SetLeft)
        .Int("Width", &TTestControl::Width, &TTestControl::SetWidth, 100)
        .Enum("Align", AlignNames, &TTestControl::Align, &TTestControl::SetAlign, taNone)
        .Set("Anchors", AnchorNames, &TTestControl::Anchors, &TTestControl::SetAnchors, TTestAnchors { tkLeft, tkTop })
        .Bool("Visible", &TTestControl::Visible, &TTestControl::SetVisible, true)
        .Color("Color", &TTestControl::Color, &TTestControl::SetColor, clBtnFace)
        .Bool("ParentFont", &TTestControl::ParentFont, &TTestControl::SetParentFont, true)
        .Object("Font", &TTestControl::Font)
        .Stored(&TTestControl::IsFontStored)
        .String("Caption", &TTestControl::Caption, &TTestControl::SetCaption, "")
        .Object("Picture", &TTestControl::Picture)
        .Event("OnClick", &TTestControl::OnClick)
        .Component("Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy);
    return table;
}

const TPropertyTable& PanelProperties()
{
    static const TPropertyTable table = Properties<TTestPanel>().Inherit()
        .Int("BevelWidth", &TTestPanel::BevelWidth, &TTestPanel::SetBevelWidth, 1)
        .Republish("Width", 260);
    return table;
}

const TPropertyTable& TimerProperties()
{
    static const TPropertyTable table = Properties<TTestTimer>().Inherit()
        .Int("Interval", &TTestTimer::Interval, &TTestTimer::SetInterval, 1000)
        .Event("OnTimer", &TTestTimer::OnTimer, &TTestTimer::SetOnTimer);
    return table;
}

const TPropertyTable& FormBaseProperties()
{
    static const TPropertyTable table = Properties<TTestFormBase>().Inherit()
        .String("Caption", &TTestFormBase::Caption, &TTestFormBase::SetCaption)
        .Color("Color", &TTestFormBase::Color, &TTestFormBase::SetColor, clBtnFace)
        .Object("Font", &TTestFormBase::Font)
        .Event("OnCreate", &TTestFormBase::OnCreate);
    return table;
}

const TMethodTable& FormBaseMethods()
{
    static const TMethodTable table = Methods<TTestFormBase>().Method("BaseClick", &TTestFormBase::BaseClick);
    return table;
}

// TTestForm publishes no properties of its own: it has its base's.
const TMethodTable& FormMethods()
{
    static const TMethodTable table = Methods<TTestForm>()
        .Method("FormCreate", &TTestForm::FormCreate)
        .Method("FormMouse", &TTestForm::FormMouse)
        .Field("Panel1", &TTestForm::Panel1)
        .Field("Button1", &TTestForm::Button1);
    return table;
}

const TPublishedRegistration ControlPublished(TTestControl::StaticClassInfo(), ControlProperties);
const TPublishedRegistration PanelPublished(TTestPanel::StaticClassInfo(), PanelProperties);
const TPublishedRegistration TimerPublished(TTestTimer::StaticClassInfo(), TimerProperties);
const TPublishedRegistration FormBasePublished(TTestFormBase::StaticClassInfo(), FormBaseProperties, FormBaseMethods);
const TPublishedRegistration FormPublished(TTestForm::StaticClassInfo(), nullptr, FormMethods);

struct TClassesRegistrar {
    TClassesRegistrar()
    {
        RegisterClasses({ &TTestControl::StaticClassInfo(), &TTestPanel::StaticClassInfo(), &TTestTimer::StaticClassInfo(),
            &TTestForm::StaticClassInfo() });
    }
} ClassesRegistrar;

} // namespace
