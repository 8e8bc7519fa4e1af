#include "controls/shaped/ClearButton.h"

PK_CLASS_IMPL(TClearButton, TClearControl, &CreateComponent<TClearButton>)

TClearButton::TClearButton(TComponent* AOwner)
    : TClearControl(AOwner)
{
    InitStyle(sbsPushBtn);
    InitOptions({ sioDisableImage, sioHotTrackImage, sioTransAtDesigning, sioBorderAndShadow });
    SetParentFont(false);
    // Three font changes, one rebuild request.
    BeginUpdate();
    Font().SetSize(20);
    Font().SetColor(clGreen);
    Font().SetStyle({ fsBold });
    EndUpdate();
}
