#include "platform/base/CodePage.h"
#include "platform/base/Paths.h"

#include <gtest/gtest.h>

namespace {

class PathsTest : public testing::Test {
protected:
    void SetUp() override { FSavedCodeSet = ActiveCodeSet(); }
    void TearDown() override
    {
        SetActiveCodeSet(FSavedCodeSet);
        SetPathSeparators(TPathSeparators::Posix);
    }

private:
    AnsiString FSavedCodeSet;
};

constexpr auto Win = TPathSeparators::Windows;
constexpr auto Posix = TPathSeparators::Posix;
constexpr int Sjis = CodePage::ShiftJis;
constexpr int Utf8 = CodePage::Utf8;

// Hex escapes are cut into separate literals where a letter follows, so that "\x5C" "cat"
// stays the backslash followed by "cat".
struct PathCase {
    TPathSeparators separators;
    int codePage;
    const char* path;
    const char* ext;
    const char* name;
    const char* folder;
    const char* withJpg; // ChangeFileExt(path, ".jpg")
};

const PathCase PathCases[] = {
    // The system's own examples, as written.
    { Win, Utf8, "C:\\pics\\cat.JPG ", ".JPG ", "cat.JPG ", "C:\\pics\\", "C:\\pics\\cat.jpg" },
    { Win, Utf8, "C:\\pics\\photo ", "", "photo ", "C:\\pics\\", "C:\\pics\\photo .jpg" },
    { Win, Utf8, "C:\\my.pics\\photo ", "", "photo ", "C:\\my.pics\\", "C:\\my.pics\\photo .jpg" },
    { Win, Utf8, "a.b.bmp ", ".bmp ", "a.b.bmp ", "", "a.b.jpg" },
    { Win, Utf8, "C:\\pics\\cat.jpg", ".jpg", "cat.jpg", "C:\\pics\\", "C:\\pics\\cat.jpg" },
    { Win, Utf8, "cat.jpg ", ".jpg ", "cat.jpg ", "", "cat.jpg" },
    { Win, Utf8, "C:cat.bmp", ".bmp", "cat.bmp", "C:", "C:cat.jpg" },
    { Win, Utf8, "", "", "", "", ".jpg" },
    // Code page 932 names whose characters end in 0x5C.
    { Win, Sjis, "C:\\\x95\x5C.bmp ", ".bmp ", "\x95\x5C.bmp ", "C:\\", "C:\\\x95\x5C.jpg" },
    { Win, Sjis, "C:\\pics\\\x83\x5C", "", "\x83\x5C", "C:\\pics\\", "C:\\pics\\\x83\x5C.jpg" },
    { Win, Sjis, "C:\\\x95\x5C\\cat.jpg", ".jpg", "cat.jpg", "C:\\\x95\x5C\\", "C:\\\x95\x5C\\cat.jpg" },
    { Win, Sjis, "C:\\my.\x95\x5C" "cat ", ".\x95\x5C" "cat ", "my.\x95\x5C" "cat ", "C:\\", "C:\\my.jpg" },
    // Only a walk from the start tells these two apart: a character then a backslash, and a
    // character that ends in the backslash.
    { Win, Sjis, "C:\\\x95\x95\\cat.jpg", ".jpg", "cat.jpg", "C:\\\x95\x95\\", "C:\\\x95\x95\\cat.jpg" },
    { Win, Sjis, "C:\\a\x95\x5C" "cat.jpg", ".jpg", "a\x95\x5C" "cat.jpg", "C:\\", "C:\\a\x95\x5C" "cat.jpg" },
    // Under UTF-8 the same bytes hold a real backslash.
    { Win, Utf8, "C:\\a\x95\x5C" "cat.jpg", ".jpg", "cat.jpg", "C:\\a\x95\x5C", "C:\\a\x95\x5C" "cat.jpg" },

    { Posix, Utf8, "/pics/cat.JPG ", ".JPG ", "cat.JPG ", "/pics/", "/pics/cat.jpg" },
    { Posix, Utf8, "/pics/photo ", "", "photo ", "/pics/", "/pics/photo .jpg" },
    { Posix, Utf8, "/my.pics/photo ", "", "photo ", "/my.pics/", "/my.pics/photo .jpg" },
    { Posix, Utf8, "a.b.bmp ", ".bmp ", "a.b.bmp ", "", "a.b.jpg" },
    { Posix, Utf8, "/pics/cat.jpg", ".jpg", "cat.jpg", "/pics/", "/pics/cat.jpg" },
    { Posix, Utf8, "cat.jpg ", ".jpg ", "cat.jpg ", "", "cat.jpg" },
    { Posix, Utf8, "dir/", "", "", "dir/", "dir/.jpg" },
    { Posix, Utf8, "C:\\pics\\cat.jpg", ".jpg", "C:\\pics\\cat.jpg", "", "C:\\pics\\cat.jpg" },
    { Posix, Utf8, "/写真/猫.jpg ", ".jpg ", "猫.jpg ", "/写真/", "/写真/猫.jpg" },
    // A broken UTF-8 sequence does not swallow the separator after it.
    { Posix, Utf8, "/a\xE8/b.jpg", ".jpg", "b.jpg", "/a\xE8/", "/a\xE8/b.jpg" },
    { Posix, Sjis, "/\x95\x5C/cat.JPG ", ".JPG ", "cat.JPG ", "/\x95\x5C/", "/\x95\x5C/cat.jpg" },
    { Posix, Sjis, "/pics/\x83\x5C.bmp ", ".bmp ", "\x83\x5C.bmp ", "/pics/", "/pics/\x83\x5C.jpg" },
};

} // namespace

TEST_F(PathsTest, ExtensionNameAndFolder)
{
    for (const PathCase& c : PathCases) {
        SCOPED_TRACE(testing::Message() << (c.separators == Win ? "windows " : "posix ") << c.codePage << " "
                                        << testing::PrintToString(std::string(c.path)));
        SetPathSeparators(c.separators);
        SetActiveCodePage(c.codePage);
        EXPECT_EQ(ExtractFileExt(c.path), c.ext);
        EXPECT_EQ(ExtractFileName(c.path), c.name);
        EXPECT_EQ(ExtractFilePath(c.path), c.folder);
        EXPECT_EQ(ChangeFileExt(c.path, ".jpg"), c.withJpg);
    }
}

TEST_F(PathsTest, LastDelimiterSkipsTrailBytes)
{
    constexpr size_t none = AnsiString::npos;
    struct Case {
        int codePage;
        const char* delimiters;
        const char* s;
        size_t index;
    } cases[] = {
        { Sjis, "\\", "\x95\x5C", none },
        { Sjis, "\\", "\x95\x95\\", 2 },
        { Sjis, "@\\", "\x81\x40\x95\x5C", none },
        { Sjis, "\\", "\\\x95", 0 }, // lead byte at the end
        { Utf8, "\\", "\x95\x5C", 1 },
        { Utf8, "./", "a/b.c", 3 },
        { Utf8, "./", "a.b/c", 3 },
        { Utf8, "", "a/b", none },
        { Utf8, "/", "", none },
    };
    for (const Case& c : cases) {
        SetActiveCodePage(c.codePage);
        EXPECT_EQ(LastDelimiter(c.delimiters, c.s), c.index) << testing::PrintToString(std::string(c.s));
    }
}

TEST_F(PathsTest, ChangeFileExtKeepsOrDropsTheDot)
{
    EXPECT_EQ(ChangeFileExt("a.jpg", ""), "a");
    EXPECT_EQ(ChangeFileExt("/pics/.hidden", ".jpg"), "/pics/.jpg");
    EXPECT_EQ(ChangeFileExt("/pics.d/", ".jpg"), "/pics.d/.jpg");
}
