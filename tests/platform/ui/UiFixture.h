#pragma once
// A headless platform for each test: a fresh window system, the headless driver on virtual time,
// a trace file, and a watchdog that ends a test that hangs.

#include "platform/display/Platform.h"
#include "platform/display/headless/HeadlessDriver.h"
#include "platform/ui/Forms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        alarm(30); // a hang ends the test program instead of blocking the suite
        Dir = std::filesystem::temp_directory_path() / ("pk-ui-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
        TPlatformSettings s;
        s.Backend = "headless";
        s.Trace = (Dir / "trace.txt").string();
        s.Answer = "no";
        s.Shots = Dir.string();
        Configure(s);
        InitPlatform(s);
        Driver = HeadlessDriverInstalled();
    }
    void TearDown() override
    {
        DonePlatform();
        std::filesystem::remove_all(Dir);
        alarm(0);
    }
    virtual void Configure(TPlatformSettings&) { }

    std::vector<std::string> TraceLines() const
    {
        std::ifstream in(Dir / "trace.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Processes everything that is pending now, without letting time pass.
    static void Pump()
    {
        Application->ProcessMessages();
        Application->DoMouseIdle();
    }

    std::filesystem::path Dir;
    THeadlessDriver* Driver = nullptr;
};
