#pragma once
// TShineBtnColors: the colours of one look of a shine speed button.
//
// A set holds the face colour, the three frame colours and the gradient settings. It has no owner
// reference: the button that created it binds OnChange and hears of every change through it, one
// notification per value that actually changed (setting a value it already holds notifies nobody).
// Assign copies all seven values from another set and notifies once; AssignTo does the same into
// another set. Sources and destinations of other classes get the platform's assignment error.

#include "platform/base/Events.h"
#include "platform/base/Object.h"
#include "platform/graphics/Colors.h"

class TShineBtnColors : public TPersistent {
    PK_CLASS(TShineBtnColors)
public:
    TShineBtnColors();
    ~TShineBtnColors() override;

    void Assign(const TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor Highlight() const { return FHighlight; }
    void SetHighlight(TColor Value);
    TColor Shadow() const { return FShadow; }
    void SetShadow(TColor Value);
    TColor DarkShadow() const { return FDarkShadow; }
    void SetDarkShadow(TColor Value);
    TColor GradColor() const { return FGradColor; }
    void SetGradColor(TColor Value);
    bool GradVertical() const { return FGradVertical; }
    void SetGradVertical(bool Value);
    bool Gradation() const { return FGradation; }
    void SetGradation(bool Value);

    // Not published: the owning button binds it.
    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    void Changed();
    void CopyValuesTo(TShineBtnColors& Dest) const;

    TColor FColor = clBtnFace;
    TColor FHighlight = clBtnHighlight;
    TColor FShadow = clBtnShadow;
    TColor FDarkShadow = clWindowFrame;
    TColor FGradColor = clBlue;
    bool FGradVertical = false;
    bool FGradation = false;
};
