// The kit's registration and the properties each class publishes in form descriptions.

#include "controls/shaped/ClearCtrl.h"

#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Published.h"

#include <cassert>
#include <initializer_list>

namespace {

constexpr auto StyleNames = EnumNames<TTransBtnStyle>("sbsPushBtn", "sbsFloatBtn", "sbsImage");
// The kit reads the border style as a width in pixels, so only these two are accepted.
constexpr auto BorderStyleNames = EnumNames<TBorderStyle>("bsNone", "bsSingle");

// Every property a kit class may publish, with the kit's defaults; each class then picks its own.
TPropertyTableBuilder<TClearControl> AllProperties()
{
    return Properties<TClearControl>().Inherit()
        .Republish("ParentColor", false)
        .Republish("Width", 260)
        .Republish("Height", 48)
        .Republish("ParentFont", false)
        .Republish("Cursor", crDefault)
        .Republish("Visible", true)
        .Bool("AutoSize", &TClearControl::AutoSize, &TClearControl::SetAutoSize, true)
        .Enum("BorderStyle", BorderStyleNames, &TClearControl::BorderStyle, &TClearControl::SetBorderStyle, bsSingle)
        .Int("CaptionLeft", &TClearControl::CaptionLeft, &TClearControl::SetCaptionLeft, -1)
        .Int("CaptionTop", &TClearControl::CaptionTop, &TClearControl::SetCaptionTop, -1)
        .Bool("ChildGraphicsTrans", &TClearControl::ChildGraphicsTrans, &TClearControl::SetChildGraphicsTrans)
        .Bool("FormTrans", &TClearControl::FormTrans, &TClearControl::SetFormTrans)
        .Int("HotLightDepth", &TClearControl::HotLightDepth, &TClearControl::SetHotLightDepth, 128)
        .Bool("HotTrack", &TClearControl::HotTrack, &TClearControl::SetHotTrack, true)
        .Color("LightColor", &TClearControl::LightColor, &TClearControl::SetLightColor, clBtnHighlight)
        .Bool("ParentDrag", &TClearControl::ParentDrag, &TClearControl::SetParentDrag)
        .Object("Picture", [](TClearControl& o) { return &o.Picture(); })
        .Color("ShadowColor", &TClearControl::ShadowColor, &TClearControl::SetShadowColor, clBtnShadow)
        .Bool("Stretch", &TClearControl::Stretch, &TClearControl::SetStretch, false)
        .Enum("Style", StyleNames, &TClearControl::Style, &TClearControl::SetStyle)
        .Color("TransparentColor", &TClearControl::TransparentColor, &TClearControl::SetTransColor, 0x00FF00FF)
        .Event("OnMouseEnter", &TClearControl::OnMouseEnter, &TClearControl::SetOnMouseEnter)
        .Event("OnMouseLeave", &TClearControl::OnMouseLeave, &TClearControl::SetOnMouseLeave);
}

// The named entries of all, in the order given.
TPropertyTable Pick(const TPropertyTable& all, std::initializer_list<const char*> names)
{
    std::vector<TPropertyInfo> picked;
    for (const char* name : names) {
        const TPropertyInfo* p = all.Find(name);
        assert(p && "a kit class publishes only properties the kit has");
        if (p)
            picked.push_back(*p);
    }
    return TPropertyTable(std::move(picked));
}

#define PK_CLEAR_COMMON "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "HelpType", "HelpKeyword", "HelpContext"
#define PK_CLEAR_EVENTS "OnClick", "OnContextPopup", "OnDblClick", "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseEnter", \
                        "OnMouseLeave", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"

const TPropertyTable& ClearControlProperties()
{
    static const TPropertyTable table = Pick(AllProperties(), { PK_CLEAR_COMMON, "ParentColor", "ParentFont", "Visible" });
    return table;
}

const TPropertyTable& ClearPanelProperties()
{
    static const TPropertyTable table = Pick(AllProperties(),
        { PK_CLEAR_COMMON, "Align", "AutoSize", "Caption", "CaptionLeft", "CaptionTop", "ChildGraphicsTrans", "DragCursor",
            "DragKind", "DragMode", "Enabled", "Font", "FormTrans", "HotLightDepth", "HotTrack", "ParentColor", "ParentDrag",
            "ParentFont", "ParentShowHint", "Picture", "ShowHint", "Stretch", "TransparentColor", "Visible", PK_CLEAR_EVENTS });
    return table;
}

const TPropertyTable& ClearButtonProperties()
{
    static const TPropertyTable table = Pick(AllProperties().SetDefault("Color", clBtnFace),
        { PK_CLEAR_COMMON, "Anchors", "AutoSize", "BorderStyle", "Caption", "CaptionLeft", "CaptionTop", "Color", "DragCursor",
            "DragKind", "DragMode", "Enabled", "Font", "HotLightDepth", "HotTrack", "LightColor", "ParentColor", "ParentFont",
            "ParentShowHint", "Picture", "ShadowColor", "ShowHint", "Stretch", "Style", "TransparentColor", "Visible",
            PK_CLEAR_EVENTS });
    return table;
}

#undef PK_CLEAR_COMMON
#undef PK_CLEAR_EVENTS

const TPublishedRegistration ClearControlPublished(TClearControl::StaticClassInfo(), ClearControlProperties);
const TPublishedRegistration ClearPanelPublished(TClearPanel::StaticClassInfo(), ClearPanelProperties);
const TPublishedRegistration ClearButtonPublished(TClearButton::StaticClassInfo(), ClearButtonProperties);

} // namespace

void Register()
{
    RegisterClasses({ &TClearButton::StaticClassInfo(), &TClearPanel::StaticClassInfo() });
}
