#pragma once
// TClearPanel: a shaped container. Its region follows its own picture and caption and what its
// children show (with ChildGraphicsTrans, exactly the non-key pixels its graphic children paint);
// with FormTrans the whole form takes that shape, and with ParentDrag a left drag on it moves the
// form. It is never pressed, has no border, tracks no size limit and never auto-sizes smaller than
// its children. Children are owned by their owner, as for any control; the panel only shows them.

#include "controls/shaped/ClearControl.h"

class TClearPanel : public TClearControl {
    PK_CLASS(TClearPanel)
public:
    explicit TClearPanel(TComponent* AOwner);

protected:
    void DoAutoSizeArrange(int AWidth, int AHeight) override;
};
