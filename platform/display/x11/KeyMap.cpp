#include "platform/display/x11/KeyMap.h"

#include "platform/ui/Messages.h"

#include <X11/keysym.h>

int VirtualKeyFromKeysym(unsigned long keysym)
{
    if (keysym >= XK_a && keysym <= XK_z)
        return static_cast<int>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z)
        return static_cast<int>('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9)
        return static_cast<int>('0' + (keysym - XK_0));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<int>(0x60 + (keysym - XK_KP_0)); // the numeric pad's own keys
    if (keysym >= XK_F1 && keysym <= XK_F12)
        return static_cast<int>(0x70 + (keysym - XK_F1));
    switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_BackSpace:
        return VK_BACK;
    case XK_space:
        return VK_SPACE;
    case XK_Left:
    case XK_KP_Left:
        return VK_LEFT;
    case XK_Up:
    case XK_KP_Up:
        return VK_UP;
    case XK_Right:
    case XK_KP_Right:
        return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down:
        return VK_DOWN;
    case XK_Prior:
        return 0x21;
    case XK_Next:
        return 0x22;
    case XK_End:
        return 0x23;
    case XK_Home:
        return 0x24;
    case XK_Insert:
        return 0x2D;
    case XK_Delete:
        return 0x2E;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
        return VK_MENU;
    default:
        return 0;
    }
}
