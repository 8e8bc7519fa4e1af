#include "platform/display/headless/HeadlessInput.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WindowSystem.h"

namespace {

TMouseButtonId Id(TMouseButton b)
{
    return b == mbLeft ? mbiLeft : b == mbRight ? mbiRight : mbiMiddle;
}

} // namespace

namespace TestInput {

void Settle()
{
    if (!Application)
        return;
    Application->ProcessMessages();
    Application->DoMouseIdle();
    Application->ProcessMessages();
}

void MoveTo(TPoint screen)
{
    InjectMouseMove(screen);
    Settle();
}

void Press(TMouseButton button, TPoint screen)
{
    if (GetCursorPos() != screen)
        MoveTo(screen);
    InjectMouseButton(Id(button), true, screen);
    Settle();
}

void Release(TMouseButton button, TPoint screen)
{
    if (GetCursorPos() != screen)
        MoveTo(screen);
    InjectMouseButton(Id(button), false, screen);
    Settle();
}

void Click(TPoint screen)
{
    Press(mbLeft, screen);
    Release(mbLeft, screen);
}

void DoubleClick(TPoint screen)
{
    Click(screen);
    Click(screen);
}

void Key(int vk)
{
    InjectKey(vk, true);
    Settle();
    InjectKey(vk, false);
    Settle();
}

void Char(unsigned code)
{
    InjectChar(code);
    Settle();
}

} // namespace TestInput
