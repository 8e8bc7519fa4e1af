// The published properties of the platform's controls and forms, as form descriptions store them,
// and the registration of the platform's classes for the form reader.

#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Published.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UiRegistration.h"

namespace {

constexpr auto AlignNames = EnumNames<TAlign>("alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom");
constexpr auto AnchorNames = EnumNames<TAnchorKind>("akLeft", "akTop", "akRight", "akBottom");
constexpr auto DragModeNames = EnumNames<TDragMode>("dmManual", "dmAutomatic");
constexpr auto DragKindNames = EnumNames<TDragKind>("dkDrag", "dkDock");
constexpr auto HelpTypeNames = EnumNames<THelpType>("htKeyword", "htContext");
constexpr auto FormBorderStyleNames = EnumNames<TFormBorderStyle>("bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin");
constexpr auto FormStyleNames = EnumNames<TFormStyle>("fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop");
constexpr auto PositionNames = EnumNames<TPosition>("poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
    "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter");
constexpr auto BorderIconNames = EnumNames<TBorderIcon>("biSystemMenu", "biMinimize", "biMaximize", "biHelp");
constexpr auto BevelNames = EnumNames<TBevelCut>("bvNone", "bvLowered", "bvRaised", "bvSpace");
constexpr auto AlignmentNames = EnumNames<TAlignment>("taLeftJustify", "taRightJustify", "taCenter");
constexpr auto ButtonLayoutNames = EnumNames<TButtonLayout>("blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom");

bool FontStored(const TControl& c) { return !c.ParentFont(); }
bool ColorStored(const TControl& c) { return !c.ParentColor(); }
bool ShowHintStored(const TControl& c) { return !c.ParentShowHint(); }

// Every control's properties. The first ones are the ones every control publishes, in the order
// descriptions list them; the others are there for descendants to publish (Republish moves them).
const TPropertyTable& ControlProperties()
{
    static const TPropertyTable table = Properties<TControl>().Inherit()
        .Int("Left", &TControl::Left, &TControl::SetLeft)
        .Int("Top", &TControl::Top, &TControl::SetTop)
        .Int("Width", &TControl::Width, &TControl::SetWidth)
        .Int("Height", &TControl::Height, &TControl::SetHeight)
        .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
        .String("Hint", &TControl::Hint, &TControl::SetHint, "")
        .Enum("HelpType", HelpTypeNames, &TControl::HelpType, &TControl::SetHelpType, htContext)
        .String("HelpKeyword", &TControl::HelpKeyword, &TControl::SetHelpKeyword, "")
        .Int("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext, 0)
        .Enum("Align", AlignNames, &TControl::Align, &TControl::SetAlign, alNone)
        .Set("Anchors", AnchorNames, &TControl::Anchors, &TControl::SetAnchors, TAnchors { akLeft, akTop })
        .String("Caption", &TControl::Caption, &TControl::SetCaption, "")
        .Color("Color", &TControl::Color, &TControl::SetColor)
        .Stored(&ColorStored)
        .Int("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, crDrag)
        .Enum("DragKind", DragKindNames, &TControl::DragKind, &TControl::SetDragKind, dkDrag)
        .Enum("DragMode", DragModeNames, &TControl::DragMode, &TControl::SetDragMode, dmManual)
        .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Object("Font", [](TControl& o) { return &o.Font(); })
        .Stored(&FontStored)
        .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
        .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
        .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
        .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Stored(&ShowHintStored)
        .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Event("OnClick", &TControl::OnClick)
        .Event("OnContextPopup", &TControl::OnContextPopup)
        .Event("OnDblClick", &TControl::OnDblClick)
        .Event("OnEndDock", &TControl::OnEndDock)
        .Event("OnEndDrag", &TControl::OnEndDrag)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseMove", &TControl::OnMouseMove)
        .Event("OnMouseUp", &TControl::OnMouseUp)
        .Event("OnResize", &TControl::OnResize)
        .Event("OnStartDock", &TControl::OnStartDock)
        .Event("OnStartDrag", &TControl::OnStartDrag);
    return table;
}

const TPropertyTable& ScrollBarProperties()
{
    static const TPropertyTable table = Properties<TControlScrollBar>()
        .Int("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange, 0)
        .Bool("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true);
    return table;
}

const TPropertyTable& FormProperties()
{
    static const TPropertyTable table = Properties<TCustomForm>().Inherit()
        .Republish("Left")
        .Republish("Top")
        .Republish("Width")
        .Stored([](const TCustomForm&) { return false; })
        .Republish("Height")
        .Stored([](const TCustomForm&) { return false; })
        .Set("BorderIcons", BorderIconNames, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
            TBorderIcons { biSystemMenu, biMinimize, biMaximize })
        .Enum("BorderStyle", FormBorderStyleNames, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable)
        .Republish("Caption")
        .Int("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
        .Int("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
        .Republish("Color", clBtnFace)
        .Stored([](const TCustomForm&) { return true; })
        .Republish("Font")
        .Stored([](const TCustomForm&) { return true; })
        .Enum("FormStyle", FormStyleNames, &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal)
        .Object("HorzScrollBar", [](TCustomForm& o) { return &o.HorzScrollBar(); })
        .Object("VertScrollBar", [](TCustomForm& o) { return &o.VertScrollBar(); })
        .Bool("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
        .Enum("Position", PositionNames, &TCustomForm::Position, &TCustomForm::SetPosition, poDefaultPosOnly)
        .Bool("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled, true)
        .Republish("Visible", false)
        .Event("OnActivate", &TCustomForm::OnActivate)
        .Event("OnClose", &TCustomForm::OnClose)
        .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
        .Event("OnCreate", &TCustomForm::OnCreate)
        .Event("OnDestroy", &TCustomForm::OnDestroy)
        .Event("OnHide", &TCustomForm::OnHide)
        .Event("OnPaint", &TCustomForm::OnPaint)
        .Event("OnShow", &TCustomForm::OnShow)
        .Int("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
        .Int("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight);
    return table;
}

const TPropertyTable& TimerProperties()
{
    static const TPropertyTable table = Properties<TTimer>().Inherit()
        .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
        .Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000u)
        .Event("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
    return table;
}

const TPropertyTable& ImageProperties()
{
    static const TPropertyTable table = Properties<TImage>().Inherit()
        .Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
        .Bool("Center", &TImage::Center, &TImage::SetCenter, false)
        .Object("Picture", [](TImage& o) { return &o.Picture(); })
        .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
        .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
    return table;
}

const TPropertyTable& PanelProperties()
{
    static const TPropertyTable table = Properties<TPanel>().Inherit()
        .Enum("Alignment", AlignmentNames, &TPanel::Alignment, &TPanel::SetAlignment, taCenter)
        .Enum("BevelInner", BevelNames, &TPanel::BevelInner, &TPanel::SetBevelInner, bvNone)
        .Enum("BevelOuter", BevelNames, &TPanel::BevelOuter, &TPanel::SetBevelOuter, bvRaised)
        .Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1)
        .Republish("Color", clBtnFace)
        .Int("TabOrder", [](const TPanel&) { return -1; }, [](TPanel&, int) {}, -1);
    return table;
}

const TPropertyTable& ButtonProperties()
{
    static const TPropertyTable table = Properties<TButton>().Inherit()
        .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
        .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
        .Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0)
        .Int("TabOrder", &TButton::TabOrder, &TButton::SetTabOrder, -1);
    return table;
}

const TPropertyTable& SpeedButtonProperties()
{
    static const TPropertyTable table = Properties<TSpeedButton>().Inherit()
        .Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
        .Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0)
        .Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
        .Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
        .Object("Glyph", [](TSpeedButton& o) { return &o.Glyph(); })
        .Enum("Layout", ButtonLayoutNames, &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft)
        .Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1)
        .Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4);
    return table;
}

const TPublishedRegistration ControlPublished(TControl::StaticClassInfo(), ControlProperties);
const TPublishedRegistration ScrollBarPublished(TControlScrollBar::StaticClassInfo(), ScrollBarProperties);
const TPublishedRegistration FormPublished(TCustomForm::StaticClassInfo(), FormProperties);
const TPublishedRegistration TimerPublished(TTimer::StaticClassInfo(), TimerProperties);
const TPublishedRegistration ImagePublished(TImage::StaticClassInfo(), ImageProperties);
const TPublishedRegistration PanelPublished(TPanel::StaticClassInfo(), PanelProperties);
const TPublishedRegistration ButtonPublished(TButton::StaticClassInfo(), ButtonProperties);
const TPublishedRegistration SpeedButtonPublished(TSpeedButton::StaticClassInfo(), SpeedButtonProperties);

} // namespace

void RegisterStandardClasses()
{
    RegisterClasses({ &TControl::StaticClassInfo(), &TWinControl::StaticClassInfo(), &TForm::StaticClassInfo(),
        &TTimer::StaticClassInfo(), &TImage::StaticClassInfo(), &TPanel::StaticClassInfo(), &TButton::StaticClassInfo(),
        &TSpeedButton::StaticClassInfo() });
}
