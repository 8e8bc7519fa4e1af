#pragma once
// TClearButton: a shaped push button. It starts with a single border, the raised look that
// follows its content's outline, pressed, hot and disabled images, a 320 x 320 size limit and a
// bold green font of its own. Its window region follows the pressed shape while a press is on it.
// It owns nothing beyond what TClearControl owns.

#include "controls/shaped/ClearControl.h"

class TClearButton : public TClearControl {
    PK_CLASS(TClearButton)
public:
    explicit TClearButton(TComponent* AOwner);
};
