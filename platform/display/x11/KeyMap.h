#pragma once
// The system's virtual key for an X keysym (the unshifted keysym of a key event), or 0 for keys
// the platform has no use for. Letters give 'A'..'Z' whatever their case, digits '0'..'9'; the
// left and right modifier keys both give VK_SHIFT, VK_CONTROL or VK_MENU.

int VirtualKeyFromKeysym(unsigned long keysym);
