#pragma once
// Start-up of the platform: reads PAKKORIN_PLATFORM, installs the display driver and the trace.
//
//   PAKKORIN_PLATFORM = x11[:key=value...] | headless[:key=value...]
//   unset: X11 when a display can be opened, else headless.
//   keys: screen=WxH (headless, default 1920x1080), trace=PATH (both), answer=yes|no (headless),
//         time=virtual|real (headless, default virtual), shots=DIR (headless)
// Only the platform reads this; the program and its controls read no settings.

#include "platform/base/Strings.h"

class THeadlessDriver;

struct TPlatformSettings {
    AnsiString Backend; // "x11", "headless" or "" (choose)
    int ScreenWidth = 1920;
    int ScreenHeight = 1080;
    AnsiString Trace;
    AnsiString Answer; // "", "yes" or "no"
    bool VirtualTime = true;
    AnsiString Shots;
};

// Parses a PAKKORIN_PLATFORM value; unknown keys and bad values are reported through error and
// leave the defaults.
TPlatformSettings ParsePlatformSettings(const AnsiString& value, AnsiString* error = nullptr);

// Installs the driver chosen by the environment (or by settings given directly) and the trace
// file; also creates the application object. Returns the backend's name.
AnsiString InitPlatform();
AnsiString InitPlatform(const TPlatformSettings& settings);
// Ends the platform: the application object and its forms, the driver, the trace file.
void DonePlatform();

// The headless driver when it is the one installed (tests use it), else null.
THeadlessDriver* HeadlessDriverInstalled();
