#include "controls/shaped/ClearPanel.h"

#include <algorithm>

PK_CLASS_IMPL(TClearPanel, TClearControl, &CreateComponent<TClearPanel>)

TClearPanel::TClearPanel(TComponent* AOwner)
    : TClearControl(AOwner)
{
    InitStyle(sbsImage);
    SetControlStyle(ControlStyle() + TControlStyle { csAcceptsControls });
    InitOptions({ sioHotTrackImage });
    InitMaxSize({ 0, 0 });
    InitBorderStyle(bsNone);
}

void TClearPanel::DoAutoSizeArrange(int AWidth, int AHeight)
{
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* child = Controls(i);
        AWidth = std::max(AWidth, child->Left() + child->Width());
        AHeight = std::max(AHeight, child->Top() + child->Height());
    }
    TClearControl::DoAutoSizeArrange(AWidth, AHeight);
}
