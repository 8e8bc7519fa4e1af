#include "platform/base/CommandLine.h"
#include "platform/base/FileSystem.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(CommandLineTest, ArgumentsAsTheShellSplitThem)
{
    char program[] = "./relative-name";
    char first[] = "C:\\my pics\\cat.jpg";
    char second[] = "";
    char third[] = "\x95\x5C";
    char* argv[] = { program, first, second, third, nullptr };
    SetCommandLine(4, argv);

    EXPECT_EQ(ParamCount(), 3);
    EXPECT_EQ(ParamStr(1), first);
    EXPECT_EQ(ParamStr(2), "");
    EXPECT_EQ(ParamStr(3), third);
    EXPECT_EQ(ParamStr(4), "");
    EXPECT_EQ(ParamStr(-1), "");

    // Argument 0 names the running program file, not what argv[0] claims.
    AnsiString self = ParamStr(0);
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self[0], '/');
    EXPECT_TRUE(FileExists(self));
    EXPECT_EQ(access(self.c_str(), X_OK), 0);
    EXPECT_NE(self, program);

    char* onlyProgram[] = { program, nullptr };
    SetCommandLine(1, onlyProgram);
    EXPECT_EQ(ParamCount(), 0);
    EXPECT_EQ(ParamStr(1), "");
}
