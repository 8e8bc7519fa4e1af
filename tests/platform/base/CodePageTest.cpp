#include "platform/base/CodePage.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

namespace {

// Every test starts from UTF-8, whatever the environment's locale, and leaves the code page
// as it found it.
class CodePageTest : public testing::Test {
protected:
    void SetUp() override
    {
        FSaved = ActiveCodeSet();
        SetActiveCodePage(CodePage::Utf8);
    }
    void TearDown() override { SetActiveCodeSet(FSaved); }

private:
    AnsiString FSaved;
};

// The program's own texts, in UTF-8 as this source file holds them.
const char* const ProgramTexts[] = {
    "パッコパンチ ～ ",
    "裏パッコパンチ ～ ",
    " のパッコパンチ形式で保存しました。",
    "パッコでパンチ！",
    "アイコン（実行ファイル）上に画像ファイルをドロップしてください。",
    "インフォメーションを参照しますか？",
    "はい(&Y)",
    "いいえ(&N)",
    "確認",
    "保存",
    "ＭＳ Ｐゴシック",
    "ビットマップイメージが不正です",
    "JPEG エラー #%d",
    "ファイル %s は開けません",
    "ファイル %s を作成できません",
    "タイマーを取得できません",
    "%s を %s に代入できません",
};

} // namespace

TEST(CodePageFromCodeSetTest, LocaleCodesetsMapToCodePages)
{
    struct Case {
        const char* codeSet;
        int codePage;
    } cases[] = {
        { "UTF-8", CodePage::Utf8 },
        { "utf8", CodePage::Utf8 },
        { "ANSI_X3.4-1968", CodePage::Utf8 },
        { "SHIFT_JIS", CodePage::ShiftJis },
        { "Shift_JIS", CodePage::ShiftJis },
        { "SJIS", CodePage::ShiftJis },
        { "CP932", CodePage::ShiftJis },
        { "WINDOWS-31J", CodePage::ShiftJis },
        { "EUC-JP", CodePage::Other },
        { "ISO-8859-1", CodePage::Other },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodePageFromCodeSet(c.codeSet), c.codePage) << c.codeSet;
}

TEST_F(CodePageTest, ProgramTextsRoundTripBetween932AndUtf8)
{
    for (const char* text : ProgramTexts) {
        SCOPED_TRACE(text);
        SetActiveCodePage(CodePage::Utf8);
        std::string cp932 = ActiveToCp932(text);
        EXPECT_EQ(cp932.find('?'), std::string::npos);
        EXPECT_EQ(Cp932ToActive(cp932), text);

        SetActiveCodePage(CodePage::ShiftJis);
        EXPECT_EQ(Utf8ToActive(text), cp932);
        EXPECT_EQ(ActiveToUtf8(cp932), text);
        EXPECT_EQ(Cp932ToActive(cp932), cp932);
    }
    SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(ActiveToCp932("パッコパンチ ～ "), "\x83\x70\x83\x62\x83\x52\x83\x70\x83\x93\x83\x60 \x81\x60 ");
    EXPECT_EQ(ActiveToCp932("ファイル %s は開けません"),
        "\x83\x74\x83\x40\x83\x43\x83\x8B %s \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1");
}

// The characters that Shift_JIS tables map differently must come out as code page 932 has
// them, in both directions; the tilde of the save name is the one that shows.
TEST_F(CodePageTest, Cp932CharactersMapBothWays)
{
    struct Case {
        const char* cp932;
        char32_t code;
        const char* utf8;
    } cases[] = {
        { "\x81\x60", U'\uFF5E', "\uFF5E" },
        { "\x81\x5F", U'\uFF3C', "\uFF3C" },
        { "\x81\x61", U'\u2225', "\u2225" },
        { "\x81\x7C", U'\uFF0D', "\uFF0D" },
        { "\x81\x91", U'\uFFE0', "\uFFE0" },
        { "\x81\x92", U'\uFFE1', "\uFFE1" },
        { "\x81\xCA", U'\uFFE2', "\uFFE2" },
        { "\x5C", U'\\', "\\" },
        { "\x7E", U'~', "~" },
        { "\x87\x40", U'\u2460', "\u2460" }, // NEC special row
        { "\xFA\x40", U'\u2170', "\u2170" }, // IBM extension
        { "\xB1", U'\uFF71', "\uFF71" }, // half-width katakana
        { "\x95\x5C", U'\u8868', "\u8868" }, // a kanji whose second byte is the backslash
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        SetActiveCodePage(CodePage::Utf8);
        EXPECT_EQ(Cp932ToActive(c.cp932), c.utf8);
        EXPECT_EQ(ActiveToCp932(c.utf8), c.cp932);
        SetActiveCodePage(CodePage::ShiftJis);
        EXPECT_EQ(ActiveToUtf32(c.cp932), std::u32string(1, c.code));
    }
}

TEST_F(CodePageTest, BadSequencesBecomeOneQuestionMarkEach)
{
    using Conversion = std::string (*)(std::string_view);
    struct Case {
        int active;
        Conversion convert;
        const char* in;
        const char* out;
    } cases[] = {
        { CodePage::Utf8, ActiveToCp932, "a\xFF" "b", "a?b" },
        { CodePage::Utf8, ActiveToCp932, "a\xE3\x81", "a?" },
        { CodePage::Utf8, ActiveToCp932, "\xE3\x81/x", "?/x" },
        { CodePage::Utf8, ActiveToCp932, "\xED\xA0\x80", "???" }, // an encoded surrogate
        { CodePage::Utf8, ActiveToCp932, "\xC3\xA9\xF0\x9F\x98\x80x", "??x" }, // no place in 932
        { CodePage::Utf8, Cp932ToActive, "\x80\xA0\xFD", "???" },
        { CodePage::Utf8, Cp932ToActive, "a\x81", "a?" },
        { CodePage::Utf8, Cp932ToActive, "\x81 b", "? b" },
        { CodePage::Utf8, Cp932ToActive, "\x85\x40x", "?x" }, // an unassigned pair
        { CodePage::ShiftJis, ActiveToUtf8, "\x95\x5C\xFF\x95\x5C", "\u8868?\u8868" },
        { CodePage::ShiftJis, Utf8ToActive, "\xFF\xE8\xA1\xA8", "?\x95\x5C" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        SetActiveCodePage(c.active);
        EXPECT_EQ(c.convert(c.in), c.out);
    }
    SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(ActiveToUtf32("a\xFF" "b"), U"a?b");
}

TEST_F(CodePageTest, SameCodePageLeavesBytesAlone)
{
    const std::string broken = "\xFF\xE3\x81 \x80";
    EXPECT_EQ(Utf8ToActive(broken), broken);
    EXPECT_EQ(ActiveToUtf8(broken), broken);
    SetActiveCodePage(CodePage::ShiftJis);
    EXPECT_EQ(Cp932ToActive(broken), broken);
    EXPECT_EQ(ActiveToCp932(broken), broken);
}

TEST_F(CodePageTest, OtherCodesetsAreUsedByTheirIconvName)
{
    SetActiveCodeSet("ISO-8859-1");
    EXPECT_EQ(ActiveCodePage(), CodePage::Other);
    EXPECT_EQ(Utf8ToActive("é表"), "\xE9?");
    EXPECT_EQ(ActiveToUtf8("\xE9"), "é");
    EXPECT_EQ(Cp932ToActive("\x83\x5C"), "?");
    EXPECT_EQ(ActiveToCp932("\xE9"), "?");
}

TEST_F(CodePageTest, LeadBytesAndCharacterLengths)
{
    struct Case {
        int active;
        const char* s;
        size_t length;
        size_t index;
        size_t charLength;
    } cases[] = {
        { CodePage::ShiftJis, "\x95\x5C", 2, 0, 2 },
        { CodePage::ShiftJis, "a\x95\x5C", 3, 0, 1 },
        { CodePage::ShiftJis, "a\x95\x5C", 3, 1, 2 },
        { CodePage::ShiftJis, "\x95", 1, 0, 1 }, // lead byte at the end
        { CodePage::ShiftJis, "\x81/", 2, 0, 2 },
        { CodePage::ShiftJis, "\xFC\x40", 2, 0, 2 },
        { CodePage::ShiftJis, "\xFD\x40", 2, 0, 1 },
        { CodePage::ShiftJis, "\xB1\x40", 2, 0, 1 },
        { CodePage::Utf8, "a", 1, 0, 1 },
        { CodePage::Utf8, "\xC3\xA9", 2, 0, 2 },
        { CodePage::Utf8, "\xE8\xA1\xA8", 3, 0, 3 },
        { CodePage::Utf8, "\xF0\x9F\x98\x80", 4, 0, 4 },
        { CodePage::Utf8, "\xE8\xA1", 2, 0, 2 }, // cut short by the end
        { CodePage::Utf8, "\xE8/", 2, 0, 1 },
        { CodePage::Utf8, "\xC0\xAF", 2, 0, 1 }, // overlong
        { CodePage::Utf8, "\xA1", 1, 0, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.active << " " << testing::PrintToString(std::string(c.s, c.length)) << " at " << c.index);
        SetActiveCodePage(c.active);
        EXPECT_EQ(CharLength(std::string_view(c.s, c.length), c.index), c.charLength);
    }

    struct LeadCase {
        int active;
        unsigned char c;
        bool lead;
    } leads[] = {
        { CodePage::ShiftJis, 0x81, true },
        { CodePage::ShiftJis, 0x9F, true },
        { CodePage::ShiftJis, 0xA0, false },
        { CodePage::ShiftJis, 0xDF, false },
        { CodePage::ShiftJis, 0xE0, true },
        { CodePage::ShiftJis, 0xFC, true },
        { CodePage::ShiftJis, 0xFD, false },
        { CodePage::ShiftJis, 0x5C, false },
        { CodePage::Utf8, 0x5C, false },
        { CodePage::Utf8, 0x95, false },
        { CodePage::Utf8, 0xE8, true },
    };
    for (const LeadCase& l : leads) {
        SetActiveCodePage(l.active);
        EXPECT_EQ(IsLeadByte(l.c), l.lead) << l.active << " " << int(l.c);
    }
}

TEST_F(CodePageTest, CompareTextIgnoresCase)
{
    struct Case {
        int active;
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        { CodePage::Utf8, ".JPG ", ".jpg ", 0 },
        { CodePage::Utf8, ".Jpeg ", ".JPEG ", 0 },
        { CodePage::Utf8, "", "", 0 },
        { CodePage::Utf8, ".jpg ", ".jpeg ", 1 },
        { CodePage::Utf8, ".bmp", ".BMP ", -1 },
        // ア and ッ differ only by a trail byte that looks like 'A' and 'a'.
        { CodePage::ShiftJis, "\x83\x41", "\x83\x61", -1 },
        { CodePage::ShiftJis, ".JPG ", ".jpg ", 0 },
    };
    for (const Case& c : cases) {
        SetActiveCodePage(c.active);
        int r = AnsiCompareText(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " / " << c.b;
    }
}

TEST_F(CodePageTest, CompareTextFoldsBeyondAscii)
{
    if (std::towlower(L'\uFF2A') != L'\uFF4A')
        GTEST_SKIP() << "the locale's LC_CTYPE has no case mapping beyond ASCII";
    EXPECT_EQ(AnsiCompareText("ＪＰＧ Ä", "ｊｐｇ ä"), 0);
    SetActiveCodePage(CodePage::ShiftJis);
    EXPECT_EQ(AnsiCompareText("\x82\x69\x82\x6F\x82\x66", "\x82\x8A\x82\x90\x82\x87"), 0);
}
