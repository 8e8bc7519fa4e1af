#pragma once
// The X11 platform under a private Xvfb for each test program: the real driver on its own
// connection, and an observer on a second one that looks at the server and drives its pointer and
// keyboard. The root gets a striped background first, so that any pixel a window must leave alone
// is easy to tell apart from the window's own.

#include "X11Observer.h"
#include "XvfbServer.h"

#include "platform/display/Platform.h"
#include "platform/display/x11/X11Driver.h"
#include "platform/graphics/Region.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

struct TServerKind {
    std::string Screen = "1280x800x24";
    std::vector<std::string> Arguments;
    bool operator<(const TServerKind& o) const { return std::tie(Screen, Arguments) < std::tie(o.Screen, o.Arguments); }
    friend std::ostream& operator<<(std::ostream& out, const TServerKind& k)
    {
        out << k.Screen;
        for (const std::string& a : k.Arguments)
            out << ' ' << a;
        return out;
    }
};

constexpr std::uint32_t RootStripeA = 0x205080;
constexpr std::uint32_t RootStripeB = 0xC0A040;

class X11Test : public ::testing::Test {
protected:
    virtual TServerKind Server() const { return {}; }

    void SetUp() override
    {
        alarm(60); // a hang ends the test program instead of blocking the suite
        if (!TXvfbServer::Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        // One server per kind for the whole test program.
        static std::map<TServerKind, std::unique_ptr<TXvfbServer>> servers;
        TServerKind kind = Server();
        auto& server = servers[kind];
        if (!server) {
            server = std::make_unique<TXvfbServer>();
            if (!server->Start(kind.Screen, kind.Arguments)) {
                std::string error = server->Error;
                server.reset();
                FAIL() << error;
            }
        }
        setenv("DISPLAY", server->Display.c_str(), 1);
        Observer = std::make_unique<TX11Observer>(server->Display);
        ASSERT_TRUE(Observer->Connected());
        Observer->PaintRootPattern(RootStripeA, RootStripeB);

        Dir = std::filesystem::temp_directory_path() / ("pk-x11-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
        TPlatformSettings s;
        s.Backend = "x11";
        s.Trace = (Dir / "trace.txt").string();
        Started = true;
        ASSERT_EQ(InitPlatform(s), "x11");
        Driver = dynamic_cast<TX11Driver*>(&DisplayDriver());
        ASSERT_NE(Driver, nullptr);
        // Keeps the loop waking up, so that every wait below is bounded.
        auto* ticker = new TTimer(Application);
        ticker->SetInterval(10);
        ticker->SetOnTimer([](TObject*) { });
    }

    void TearDown() override
    {
        if (Started)
            DonePlatform();
        Observer.reset();
        if (!Dir.empty())
            std::filesystem::remove_all(Dir);
        alarm(0);
    }

    // Runs the application loop until done() holds or the time is up; returns done().
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000)
    {
        std::int64_t end = GetTickCount() + timeoutMs;
        while (!done() && GetTickCount() < end)
            Application->HandleMessage();
        return done();
    }

    bool WaitPresented(TWinControl* form)
    {
        return RunUntil([&] { return Driver->Presented(form->Handle()); });
    }

    TForm* MakeForm(const TRect& bounds, TColor color, bool stayOnTop = true)
    {
        TForm* form = nullptr;
        Application->CreateForm(form);
        form->SetName("Form" + std::to_string(++FormCount));
        form->SetBorderStyle(bsToolWindow);
        if (stayOnTop)
            form->SetFormStyle(fsStayOnTop);
        form->SetColor(color);
        form->SetCaption("Form");
        form->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        return form;
    }

    unsigned long XWindow(TWinControl* form) { return Driver->XWindowOf(form->Handle()); }

    std::vector<std::string> TraceLines() const
    {
        std::ifstream in(Dir / "trace.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::unique_ptr<TX11Observer> Observer;
    TX11Driver* Driver = nullptr;
    std::filesystem::path Dir;

private:
    bool Started = false;
    int FormCount = 0;
};
