#pragma once
// Input for tests on the headless screen: each call does what a real pointer or keyboard would
// (the same messages, in the same order), then handles everything that became pending, the
// pointer tracking included, without letting time pass.

#include "platform/graphics/Types.h"
#include "platform/ui/Controls.h"

namespace TestInput {
void MoveTo(TPoint screen);
void Press(TMouseButton button, TPoint screen);
void Release(TMouseButton button, TPoint screen);
void Click(TPoint screen);
void DoubleClick(TPoint screen);
void Key(int vk);
void Char(unsigned code);
// Handles what is pending now.
void Settle();
}
