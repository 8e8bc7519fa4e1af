#pragma once
// The ClearCtrl control kit: TClearControl, TClearPanel and TClearButton, and its registration.

#include "controls/shaped/ClearButton.h"
#include "controls/shaped/ClearColors.h"
#include "controls/shaped/ClearControl.h"
#include "controls/shaped/ClearPanel.h"

// Registers TClearButton and TClearPanel for the form reader and publishes the kit's properties
// (the tables live with this function, so a program that registers the kit also gets them).
void Register();
