#include "platform/display/Platform.h"

#include "platform/display/headless/HeadlessDriver.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Trace.h"
#include "platform/ui/WindowSystem.h"

#include <cstdlib>
#include <iostream>

#ifdef PAKKORIN_HAVE_X11
#include "platform/display/x11/X11Driver.h"
#endif

TPlatformSettings ParsePlatformSettings(const AnsiString& value, AnsiString* error)
{
    TPlatformSettings s;
    size_t pos = value.find(':');
    s.Backend = value.substr(0, pos);
    auto complain = [&](const AnsiString& what) {
        if (error)
            *error += (error->empty() ? "" : "; ") + what;
    };
    if (!s.Backend.empty() && s.Backend != "x11" && s.Backend != "headless")
        complain("unknown backend '" + s.Backend + "'");
    while (pos != AnsiString::npos) {
        size_t next = value.find(':', pos + 1);
        AnsiString item = value.substr(pos + 1, next == AnsiString::npos ? AnsiString::npos : next - pos - 1);
        pos = next;
        size_t eq = item.find('=');
        AnsiString key = item.substr(0, eq);
        AnsiString val = eq == AnsiString::npos ? AnsiString() : item.substr(eq + 1);
        if (key == "screen") {
            int w = 0, h = 0;
            char x = 0;
            if (std::sscanf(val.c_str(), "%d%c%d", &w, &x, &h) == 3 && (x == 'x' || x == 'X') && w > 0 && h > 0 && w <= 16384 && h <= 16384) {
                s.ScreenWidth = w;
                s.ScreenHeight = h;
            } else {
                complain("bad screen size '" + val + "'");
            }
        } else if (key == "trace") {
            s.Trace = val;
        } else if (key == "answer") {
            if (val == "yes" || val == "no")
                s.Answer = val;
            else
                complain("bad answer '" + val + "'");
        } else if (key == "time") {
            if (val == "virtual" || val == "real")
                s.VirtualTime = val == "virtual";
            else
                complain("bad time '" + val + "'");
        } else if (key == "shots") {
            s.Shots = val;
        } else if (!key.empty()) {
            complain("unknown key '" + key + "'");
        }
    }
    return s;
}

namespace {
THeadlessDriver* gHeadless = nullptr;
}

AnsiString InitPlatform()
{
    const char* env = std::getenv("PAKKORIN_PLATFORM");
    AnsiString error;
    TPlatformSettings s = ParsePlatformSettings(env ? env : "", &error);
    if (!error.empty())
        std::cerr << "PAKKORIN_PLATFORM: " << error << std::endl;
    return InitPlatform(s);
}

AnsiString InitPlatform(const TPlatformSettings& s)
{
    ResetWindowSystem();
    SetTraceFile(s.Trace);
    gHeadless = nullptr;
    bool installed = false;
#ifdef PAKKORIN_HAVE_X11
    if (s.Backend != "headless") {
        if (auto driver = CreateX11Driver()) {
            SetDisplayDriver(std::move(driver));
            installed = true;
        } else if (s.Backend == "x11") {
            std::cerr << "PAKKORIN_PLATFORM: no X display could be opened; using the headless screen" << std::endl;
        }
    }
#else
    if (s.Backend == "x11")
        std::cerr << "PAKKORIN_PLATFORM: built without X11; using the headless screen" << std::endl;
#endif
    if (!installed) {
        THeadlessOptions o;
        o.Screen = { s.ScreenWidth, s.ScreenHeight };
        o.Answer = s.Answer == "yes" ? THeadlessOptions::anYes : s.Answer == "no" ? THeadlessOptions::anNo : THeadlessOptions::anAsk;
        o.VirtualTime = s.VirtualTime;
        o.ShotsDir = s.Shots;
        auto driver = std::make_unique<THeadlessDriver>(o);
        gHeadless = driver.get();
        SetDisplayDriver(std::move(driver));
    }
    InitApplication();
    return DisplayDriver().Name();
}

void DonePlatform()
{
    DoneApplication();
    ResetWindowSystem();
    SetDisplayDriver(nullptr);
    gHeadless = nullptr;
    SetTraceFile("");
}

THeadlessDriver* HeadlessDriverInstalled()
{
    return gHeadless;
}
