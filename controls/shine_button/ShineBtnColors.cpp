#include "controls/shine_button/ShineBtnColors.h"

#include "platform/streaming/Published.h"

PK_CLASS_IMPL(TShineBtnColors, TPersistent, nullptr)

TShineBtnColors::TShineBtnColors() = default;

TShineBtnColors::~TShineBtnColors()
{
    // A set that is going away must not reach its button any more.
    OnChange = nullptr;
}

void TShineBtnColors::Changed()
{
    OnChange(this);
}

void TShineBtnColors::CopyValuesTo(TShineBtnColors& Dest) const
{
    Dest.FColor = FColor;
    Dest.FHighlight = FHighlight;
    Dest.FShadow = FShadow;
    Dest.FDarkShadow = FDarkShadow;
    Dest.FGradColor = FGradColor;
    Dest.FGradVertical = FGradVertical;
    Dest.FGradation = FGradation;
}

void TShineBtnColors::Assign(const TPersistent* Source)
{
    if (auto* source = dynamic_cast<const TShineBtnColors*>(Source)) {
        source->CopyValuesTo(*this);
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TShineBtnColors::AssignTo(TPersistent* Dest) const
{
    if (auto* dest = dynamic_cast<TShineBtnColors*>(Dest)) {
        CopyValuesTo(*dest);
        dest->Changed();
        return;
    }
    TPersistent::AssignTo(Dest);
}

void TShineBtnColors::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TShineBtnColors::SetHighlight(TColor Value)
{
    if (Value == FHighlight)
        return;
    FHighlight = Value;
    Changed();
}

void TShineBtnColors::SetShadow(TColor Value)
{
    if (Value == FShadow)
        return;
    FShadow = Value;
    Changed();
}

void TShineBtnColors::SetDarkShadow(TColor Value)
{
    if (Value == FDarkShadow)
        return;
    FDarkShadow = Value;
    Changed();
}

void TShineBtnColors::SetGradColor(TColor Value)
{
    if (Value == FGradColor)
        return;
    FGradColor = Value;
    Changed();
}

void TShineBtnColors::SetGradVertical(bool Value)
{
    if (Value == FGradVertical)
        return;
    FGradVertical = Value;
    Changed();
}

void TShineBtnColors::SetGradation(bool Value)
{
    if (Value == FGradation)
        return;
    FGradation = Value;
    Changed();
}

namespace {

// Color comes last and carries no default, so a stored set always says its face colour.
const TPropertyTable& ShineBtnColorsProperties()
{
    static const TPropertyTable table = Properties<TShineBtnColors>()
        .Color("Highlight", &TShineBtnColors::Highlight, &TShineBtnColors::SetHighlight, clBtnHighlight)
        .Color("Shadow", &TShineBtnColors::Shadow, &TShineBtnColors::SetShadow, clBtnShadow)
        .Color("DarkShadow", &TShineBtnColors::DarkShadow, &TShineBtnColors::SetDarkShadow, clWindowFrame)
        .Color("GradColor", &TShineBtnColors::GradColor, &TShineBtnColors::SetGradColor, clBlue)
        .Bool("GradVertical", &TShineBtnColors::GradVertical, &TShineBtnColors::SetGradVertical, false)
        .Bool("Gradation", &TShineBtnColors::Gradation, &TShineBtnColors::SetGradation, false)
        .Color("Color", &TShineBtnColors::Color, &TShineBtnColors::SetColor);
    return table;
}

const TPublishedRegistration ShineBtnColorsPublished(TShineBtnColors::StaticClassInfo(), ShineBtnColorsProperties);

} // namespace
