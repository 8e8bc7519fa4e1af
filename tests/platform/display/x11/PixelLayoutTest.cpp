#include "platform/display/x11/KeyMap.h"
#include "platform/display/x11/PixelLayout.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <vector>

namespace {

struct TLayoutCase {
    const char* Name;
    TPixelLayout Layout;
    std::vector<std::uint8_t> Expected; // 0x123456 then white
};

} // namespace

TEST(PixelLayout, PixelWordsLandUnderEachVisualsMasks)
{
    const TLayoutCase cases[] = {
        { "the pixel word itself", { 0xFF0000, 0x00FF00, 0x0000FF, 4, false }, { 0x56, 0x34, 0x12, 0x00, 0xFF, 0xFF, 0xFF, 0x00 } },
        { "most significant byte first", { 0xFF0000, 0x00FF00, 0x0000FF, 4, true }, { 0x00, 0x12, 0x34, 0x56, 0x00, 0xFF, 0xFF, 0xFF } },
        { "blue in the high byte", { 0x0000FF, 0x00FF00, 0xFF0000, 4, false }, { 0x12, 0x34, 0x56, 0x00, 0xFF, 0xFF, 0xFF, 0x00 } },
        { "three bytes a pixel", { 0xFF0000, 0x00FF00, 0x0000FF, 3, false }, { 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF } },
        // r 0x12 >> 3 = 2, g 0x34 >> 2 = 13, b 0x56 >> 3 = 10: 0x11AA.
        { "5-6-5", { 0xF800, 0x07E0, 0x001F, 2, false }, { 0xAA, 0x11, 0xFF, 0xFF } },
        // r 2, g 0x34 >> 3 = 6, b 10: 0x08CA, high byte first.
        { "5-5-5 most significant byte first", { 0x7C00, 0x03E0, 0x001F, 2, true }, { 0x08, 0xCA, 0x7F, 0xFF } },
        // Ten bits a channel: the top bits repeat into the low ones, so white stays white.
        { "10-10-10", { 0x3FF00000, 0x000FFC00, 0x000003FF, 4, false }, { 0x59, 0x41, 0x83, 0x04, 0xFF, 0xFF, 0xFF, 0x3F } },
    };
    const std::uint8_t row[] = { 0x56, 0x34, 0x12, 0x00, 0xFF, 0xFF, 0xFF, 0x00 }; // 0x123456, white
    for (const TLayoutCase& c : cases) {
        ASSERT_TRUE(c.Layout.Supported()) << c.Name;
        std::vector<std::uint8_t> out(2 * static_cast<size_t>(c.Layout.BytesPerPixel), 0xEE);
        PackPixelRow(row, 2, c.Layout, out.data());
        EXPECT_EQ(out, c.Expected) << c.Name;
    }
}

TEST(PixelLayout, LayoutsThatCannotHoldAPixelAreRefused)
{
    const struct {
        const char* Name;
        TPixelLayout Layout;
    } cases[] = {
        { "overlapping masks", { 0xFF0000, 0x01FF00, 0x0000FF, 4, false } },
        { "a mask with a gap", { 0xFF0000, 0x00F0F0, 0x00000F, 4, false } },
        { "a mask wider than the pixel", { 0xFF0000, 0x00FF00, 0x0000FF, 2, false } },
        { "an empty mask", { 0xFF0000, 0, 0x0000FF, 4, false } },
        { "one byte a pixel", { 0xE0, 0x1C, 0x03, 1, false } },
    };
    for (const auto& c : cases)
        EXPECT_FALSE(c.Layout.Supported()) << c.Name;
}

TEST(KeyMap, KeysymsGiveTheSystemsVirtualKeys)
{
    const struct {
        unsigned long Keysym;
        int Vk;
    } cases[] = {
        { XK_a, 'A' }, { XK_z, 'Z' }, { XK_Q, 'Q' }, { XK_0, '0' }, { XK_9, '9' }, { XK_Return, VK_RETURN }, { XK_KP_Enter, VK_RETURN },
        { XK_Escape, VK_ESCAPE }, { XK_Tab, VK_TAB }, { XK_ISO_Left_Tab, VK_TAB }, { XK_Left, VK_LEFT }, { XK_KP_Down, VK_DOWN },
        { XK_Shift_R, VK_SHIFT }, { XK_Control_L, VK_CONTROL }, { XK_Alt_L, VK_MENU }, { XK_space, VK_SPACE }, { XK_Multi_key, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyFromKeysym(c.Keysym), c.Vk) << "keysym 0x" << std::hex << c.Keysym;
}
