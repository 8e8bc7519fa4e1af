// The program's whole road, in process, on the headless screen: built once per edition.

#include "app/Edition.h"
#include "app/MainWindow1.h"
#include "platform/base/CodePage.h"
#include "platform/base/CommandLine.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Paths.h"
#include "platform/display/Platform.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Utf8(const char* cp932) { return ActiveToUtf8(Cp932ToActive(cp932)); }

std::time_t AtMinute(int minute)
{
    std::tm t {};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 11;
    t.tm_hour = 10;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// A picture whose pixels tell where they are: red = x, green = y, blue = the high bits of both.
std::uint32_t Probe(int x, int y)
{
    return (std::uint32_t(x & 255) << 16) | (std::uint32_t(y & 255) << 8) | std::uint32_t(((x >> 8) & 15) | (((y >> 8) & 15) << 4));
}

void WriteProbePicture(const fs::path& path, int w, int h)
{
    TDibImage img;
    img.Allocate(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.SetPixelWord(x, y, Probe(x, y));
    WriteFileAtomically(path.string(), WriteBmp(img));
}

TDibImage Crest()
{
    auto bytes = ReadFileBytes(std::string(PAKKORIN_SOURCE_DIR) + (Edition::Reverse ? "/app/crest-reverse.bmp" : "/app/crest-standard.bmp"), 1 << 24);
    return ReadBmp(bytes);
}

// Whether the crest stretched to size x size shows a non-key pixel at (x, y).
bool CrestShows(const TDibImage& crest, int size, int x, int y)
{
    return crest.GetPixelWord(x * crest.Width / size, y * crest.Height / size) != 0xFF00FF;
}

class MainRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        alarm(120);
        Dir = fs::temp_directory_path() / ("pk-road-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        Settings.Backend = "headless";
        Settings.Trace = (Dir / "trace.txt").string();
        Settings.Answer = "no";
    }
    void TearDown() override
    {
        if (Started)
            DonePlatform();
        MainForm1 = nullptr;
        SetPathSeparators(TPathSeparators::Posix);
        fs::remove_all(Dir);
        alarm(0);
    }

    int Run(std::vector<std::string> args, int minute = 45)
    {
        Args = { "pakkorin" };
        for (auto& a : args)
            Args.push_back(a);
        std::vector<char*> argv;
        for (auto& a : Args)
            argv.push_back(a.data());
        SetCommandLine(static_cast<int>(argv.size()), argv.data());
        MainWindowClock = [minute] { return AtMinute(minute); };
        InitPlatform(Settings);
        Started = true;
        Register();
        RegisterMainWindow();
        try {
            Application->SetTitle(Cp932ToActive(Edition::Title));
            Application->CreateForm(MainForm1);
            Application->Run();
        } catch (const Exception& e) {
            Application->ShowException(e);
        }
        return Application->Finish();
    }

    std::vector<std::string> Trace() const
    {
        std::ifstream in(Dir / "trace.txt");
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    bool Traced(const std::string& line) const
    {
        auto t = Trace();
        return std::find(t.begin(), t.end(), line) != t.end();
    }
    // The window's positions after it was shown, one a move.
    std::vector<TPoint> MovesAfterShow() const
    {
        std::vector<TPoint> out;
        bool shown = false;
        for (const std::string& l : Trace()) {
            if (l == "show\tMainForm1")
                shown = true;
            int x, y;
            if (shown && std::sscanf(l.c_str(), "move\tMainForm1\t%d\t%d", &x, &y) == 2)
                out.push_back({ x, y });
        }
        return out;
    }
    fs::path StampFile(const std::string& name) const { return Dir / (ActiveToUtf8(Cp932ToActive(Edition::SavePrefix)) + name); }
    std::string SavedLine(int w, int h) const
    {
        return "msgbox\t" + Utf8(Edition::Title) + "\t" + std::to_string(w) + " x " + std::to_string(h) + Utf8(Edition::SavedEnding) + "\tOK";
    }
    // Every stamp pixel is the picture through the panel's region and white elsewhere; returns
    // the picture's offset in the stamp.
    TPoint CheckStamp(int pictureW, int pictureH)
    {
        const TDibImage& stamp = MainForm1->Image2->Picture().Bitmap().Image();
        auto region = GetWindowRgn(MainForm1->ClearPanel1->Handle());
        EXPECT_TRUE(region.has_value());
        std::optional<TPoint> offset;
        int wrong = 0;
        for (int y = 0; y < stamp.Height; ++y)
            for (int x = 0; x < stamp.Width; ++x) {
                std::uint32_t p = stamp.GetPixelWord(x, y);
                if (!region->Contains({ x, y })) {
                    wrong += p != 0xFFFFFF;
                    continue;
                }
                if (!offset && p != 0xFFFFFF) {
                    int px = ((p >> 16) & 255) | ((p & 15) << 8), py = ((p >> 8) & 255) | (((p >> 4) & 15) << 8);
                    offset = TPoint { x - px, y - py };
                }
                if (offset) {
                    int px = x - offset->X, py = y - offset->Y;
                    bool inside = px >= 0 && py >= 0 && px < pictureW && py < pictureH;
                    wrong += p != (inside ? Probe(px, py) : 0xFFFFFFu);
                }
            }
        EXPECT_EQ(wrong, 0);
        return offset.value_or(TPoint { -99999, -99999 });
    }

    TPlatformSettings Settings;
    fs::path Dir;
    std::vector<std::string> Args;
    bool Started = false;
};

} // namespace

TEST(EntrySide, MinuteTable)
{
    struct Case {
        int Minute;
        int Side;
    } cases[] = { { 7, 2 }, { 8, 1 }, { 22, 1 }, { 23, 3 }, { 37, 3 }, { 38, 0 }, { 52, 0 }, { 53, 2 }, { 59, 2 }, { 0, 2 }, { 15, 1 }, { 30, 3 }, { 45, 0 } };
    for (const Case& c : cases)
        EXPECT_EQ(EntrySideForMinute(c.Minute), c.Side) << "minute " << c.Minute;
}

TEST(EntrySide, StartPositionsHalveTowardZero)
{
    EXPECT_EQ(ConstructorStart(0, 1680, 1050), (TPoint { -620, 225 }));
    EXPECT_EQ(ConstructorStart(1, 1680, 1050), (TPoint { 2300, 225 }));
    EXPECT_EQ(ConstructorStart(0, 800, 601).Y, 0);
    EXPECT_EQ(ConstructorStart(0, 800, 599).Y, 0);
    EXPECT_EQ(ConstructorStart(0, 800, 597).Y, -1);
    EXPECT_EQ(ConstructorStart(0, 1024, 768), (TPoint { -620, 84 }));
    EXPECT_EQ(ConstructorStart(1, 1024, 768), (TPoint { 1644, 84 }));
    EXPECT_EQ(ConstructorStart(2, 1024, 768), (TPoint { 212, -620 }));
    EXPECT_EQ(ConstructorStart(3, 1024, 768), (TPoint { 212, 1388 }));
    EXPECT_EQ(FirstTickStart(0, 606, 625, 1920, 1080), (TPoint { -626, 227 }));
    EXPECT_EQ(FirstTickStart(1, 606, 625, 1920, 1080), (TPoint { 1226, 227 }));
    EXPECT_EQ(FirstTickStart(2, 606, 625, 1920, 1080), (TPoint { 657, -645 }));
    EXPECT_EQ(FirstTickStart(3, 606, 625, 1920, 1080), (TPoint { 657, 1245 }));
}

TEST(StampNames, SystemExamplesUnderBothSeparatorSets)
{
    std::string prefix = Cp932ToActive(Edition::SavePrefix);
    struct Case {
        const char* Windows;
        const char* Posix;
        const char* Folder;
        const char* Name;
    } cases[] = {
        { "C:\\pics\\cat.JPG ", "/pics/cat.JPG ", "pics", "cat.jpg" },
        { "C:\\pics\\photo.jpeg ", "/pics/photo.jpeg ", "pics", "photo.jpg" },
        { "C:\\pics\\a.b.bmp ", "/pics/a.b.bmp ", "pics", "a.b.jpg" },
        { "C:\\pics\\photo ", "/pics/photo ", "pics", "photo .jpg" },
        { "C:\\my.pics\\photo ", "/my.pics/photo ", "my.pics", "photo .jpg" },
    };
    for (const Case& c : cases) {
        SetPathSeparators(TPathSeparators::Windows);
        EXPECT_EQ(StampPath(c.Windows), std::string(c.Folder == std::string("pics") ? "C:\\pics\\" : "C:\\my.pics\\") + prefix + c.Name);
        SetPathSeparators(TPathSeparators::Posix);
        EXPECT_EQ(StampPath(c.Posix), "/" + std::string(c.Folder) + "/" + prefix + c.Name);
    }
    EXPECT_EQ(StampPath("cat.jpg "), prefix + "cat.jpg");
    EXPECT_EQ(StampPath(prefix + "cat.jpg "), prefix + prefix + "cat.jpg");
    EXPECT_EQ(ExtractFileExt("C:\\pics\\cat.JPG "), ".JPG ");
    SetPathSeparators(TPathSeparators::Windows);
    EXPECT_EQ(ExtractFileExt("C:\\pics\\cat.JPG "), ".JPG ");
    SetPathSeparators(TPathSeparators::Posix);
    EXPECT_EQ(InformationLocation("/usr/bin/Pakkorin.exe"), "http://www.pakkorin.example/info.php?pf=w&sn=Pakkorin");
}

TEST_F(MainRoad, FitAndCentreForEachPictureShape)
{
    struct Case {
        int W, H;
        int ClientW, ClientH;
        int X, Y;
    } cases[] = {
        { 800, 533, 533, 533, -133, 0 },
        { 450, 700, 450, 450, 0, -125 },
        { 1024, 768, 600, 600, -212, -84 },
        { 600, 900, 600, 600, 0, -150 },
        { 601, 601, 600, 600, 0, 0 },
        { 300, 300, 300, 300, 0, 0 },
        { 40, 30, 106, 30, 33, 0 }, // a tiny picture: the window cannot get narrower than 112
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
        TearDown();
        Started = false;
        SetUp();
        fs::path pic = Dir / "pic.bmp";
        WriteProbePicture(pic, c.W, c.H);
        EXPECT_EQ(Run({ pic.string() }), 0);
        EXPECT_EQ(MainForm1->ClientWidth(), c.ClientW);
        EXPECT_EQ(MainForm1->ClientHeight(), c.ClientH);
        TPoint offset = CheckStamp(c.W, c.H);
        EXPECT_EQ(offset, (TPoint { c.X, c.Y }));
        EXPECT_TRUE(Traced(SavedLine(c.ClientW, c.ClientH)));
        EXPECT_TRUE(fs::exists(StampFile("pic.jpg")));
    }
}

TEST_F(MainRoad, SlideFromEachSideOnAFullHdScreen)
{
    struct Case {
        int Minute;
        TPoint Start;
        TPoint Rest;
        int Moves;
    } cases[] = {
        { 45, { -626, 227 }, { 686, 227 }, 41 },
        { 15, { 1226, 227 }, { 650, 227 }, 18 },
        { 0, { 657, -645 }, { 657, 251 }, 28 },
        { 30, { 657, 1245 }, { 657, 221 }, 32 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("minute " + std::to_string(c.Minute));
        TearDown();
        Started = false;
        SetUp();
        fs::path pic = Dir / "pic.bmp";
        WriteProbePicture(pic, 640, 640);
        EXPECT_EQ(Run({ pic.string() }, c.Minute), 0);
        std::vector<TPoint> moves = MovesAfterShow();
        ASSERT_GE(moves.size(), static_cast<size_t>(c.Moves + 1));
        std::vector<TPoint> slide(moves.end() - c.Moves - 1, moves.end());
        EXPECT_EQ(slide.front(), c.Start);
        EXPECT_EQ(slide.back(), c.Rest);
        for (size_t i = 1; i < slide.size(); ++i)
            EXPECT_EQ(std::abs(slide[i].X - slide[i - 1].X) + std::abs(slide[i].Y - slide[i - 1].Y), 32);
        EXPECT_EQ(MainForm1->Left(), c.Rest.X);
        EXPECT_EQ(MainForm1->Top(), c.Rest.Y);
    }
}

TEST_F(MainRoad, VeryWideScreenStopsAtOnceAndStillStampsWhatIsShown)
{
    Settings.ScreenWidth = 3840;
    fs::path pic = Dir / "pic.bmp";
    WriteProbePicture(pic, 700, 650);
    EXPECT_EQ(Run({ pic.string() }, 15), 0);
    std::vector<TPoint> moves = MovesAfterShow();
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), (TPoint { 1226, 227 })); // re-placed and stopped, no move
    CheckStamp(700, 650);
}

TEST_F(MainRoad, RegionIsTheCrestAloneAndStaysSoWhenThePictureIsDrawn)
{
    fs::path pic = Dir / "pic.bmp";
    WriteProbePicture(pic, 800, 533);
    EXPECT_EQ(Run({ pic.string() }), 0);
    TDibImage crest = Crest();
    auto region = GetWindowRgn(MainForm1->ClearPanel1->Handle());
    ASSERT_TRUE(region.has_value());
    int wrong = 0;
    for (int y = 0; y < 533; ++y)
        for (int x = 0; x < 533; ++x)
            wrong += region->Contains({ x, y }) != CrestShows(crest, 533, x, y);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(region->BoundingBox().Right <= 533, true);
}

TEST_F(MainRoad, SavedJpegIsBaselineQuality80OfTheStampSize)
{
    fs::path pic = Dir / "pic.bmp";
    WriteProbePicture(pic, 450, 700);
    EXPECT_EQ(Run({ pic.string() }), 0);
    auto bytes = ReadFileBytes(StampFile("pic.jpg").string(), 1 << 26);
    TJpegDecoder decoder(bytes);
    EXPECT_EQ(decoder.Width(), 450);
    EXPECT_EQ(decoder.Height(), 450);
    EXPECT_FALSE(decoder.Progressive());
    auto segment = [](const std::vector<std::uint8_t>& b, std::uint8_t marker) {
        for (size_t i = 2; i + 4 <= b.size();) {
            if (b[i] != 0xFF)
                return std::vector<std::uint8_t> {};
            size_t len = (size_t(b[i + 2]) << 8) | b[i + 3];
            if (b[i + 1] == marker)
                return std::vector<std::uint8_t>(b.begin() + long(i), b.begin() + long(i + 2 + len));
            if (b[i + 1] == 0xDA)
                break;
            i += 2 + len;
        }
        return std::vector<std::uint8_t> {};
    };
    EXPECT_FALSE(segment(bytes, 0xC0).empty()) << "baseline frame";
    EXPECT_TRUE(segment(bytes, 0xC2).empty()) << "no progressive frame";
    TDibImage any;
    any.Allocate(16, 16, 24);
    EXPECT_EQ(segment(bytes, 0xDB), segment(EncodeJpeg(any, 80), 0xDB)) << "quality 80 tables";
}

TEST_F(MainRoad, CaptionTitleAndMessagesAreTheEditionTexts)
{
    fs::path pic = Dir / "cat.JPG";
    WriteProbePicture(Dir / "tmp.bmp", 10, 10);
    TDibImage img;
    img.Allocate(800, 533, 24);
    WriteFileAtomically(pic.string(), EncodeJpeg(img, 90));
    EXPECT_EQ(Run({ pic.string() }), 0);
    EXPECT_EQ(MainForm1->Caption(), Cp932ToActive(Edition::Caption));
    EXPECT_EQ(Application->Title(), Cp932ToActive(EditionTexts::TitleText));
    EXPECT_TRUE(Traced(SavedLine(533, 533)));
    EXPECT_TRUE(Traced("beep\t0"));
    EXPECT_TRUE(fs::exists(StampFile("cat.jpg")));
}

TEST_F(MainRoad, WithoutArgumentsAsksAndOpensTheInformationPage)
{
    Settings.Answer = "yes";
    EXPECT_EQ(Run({}), 0);
    auto t = Trace();
    std::string drop = "msgbox\t" + Utf8(Edition::Title) + "\t" + Utf8(EditionTexts::DropText) + "\tOK";
    std::string question = "msgbox\t確認\t" + Utf8(EditionTexts::InfoQuestion) + "\tYES";
    auto at = [&](const std::string& s) { return std::find(t.begin(), t.end(), s) - t.begin(); };
    std::string name = ExtractFileName(ParamStr(0));
    std::string open = "open\tOPEN\thttp://www.pakkorin.example/info.php?pf=w&sn=" + name;
    ASSERT_LT(at("beep\t0"), long(t.size()));
    EXPECT_LT(at("beep\t0"), at(drop));
    EXPECT_LT(at(drop), at(question));
    EXPECT_LT(at(question), at(open));
    EXPECT_LT(at(open), long(t.size()));
    EXPECT_LT(at("close\tMainForm1\tcode"), long(t.size()));
    EXPECT_EQ(t.back(), "exit\t0");
}

TEST_F(MainRoad, WithoutArgumentsAnsweredNoOpensNothing)
{
    EXPECT_EQ(Run({}), 0);
    for (const std::string& l : Trace())
        EXPECT_NE(l.rfind("open\t", 0), 0u) << l;
}

TEST_F(MainRoad, UnreadablePictureIsReportedAndStampedWhite)
{
    fs::path pic = Dir / "broken.jpg";
    std::ofstream(pic) << "this is not a picture";
    EXPECT_EQ(Run({ pic.string() }), 1);
    bool jpegError = false;
    for (const std::string& l : Trace())
        jpegError |= l.rfind("msgbox\t" + Utf8(Edition::Title) + "\tJPEG エラー #", 0) == 0;
    EXPECT_TRUE(jpegError);
    EXPECT_TRUE(Traced(SavedLine(600, 600)));
    const TDibImage& stamp = MainForm1->Image2->Picture().Bitmap().Image();
    int white = 0;
    for (int y = 0; y < stamp.Height; ++y)
        for (int x = 0; x < stamp.Width; ++x)
            white += stamp.GetPixelWord(x, y) == 0xFFFFFF;
    EXPECT_EQ(white, 600 * 600);
}

TEST_F(MainRoad, UnwritableFolderShowsTheCreateErrorAndWritesNothing)
{
    fs::path pic = Dir / "pic.bmp";
    WriteProbePicture(pic, 300, 300);
    // A folder stands where the stamp would go: the save must fail without touching it.
    fs::create_directories(StampFile("pic.jpg"));
    EXPECT_EQ(Run({ pic.string() }), 1);
    std::string expected = "msgbox\t" + Utf8(Edition::Title) + "\tファイル " + StampFile("pic.jpg").string() + " を作成できません\tOK";
    EXPECT_TRUE(Traced(expected));
    EXPECT_FALSE(Traced("beep\t0"));
    EXPECT_FALSE(Traced(SavedLine(300, 300)));
    EXPECT_TRUE(fs::is_directory(StampFile("pic.jpg")));
    for (auto& e : fs::directory_iterator(Dir))
        EXPECT_EQ(e.path().filename().string().find(".jpg."), std::string::npos) << "a temporary was left";
}

TEST_F(MainRoad, MissingFolderShowsTheCreateError)
{
    std::string pic = (Dir / "gone" / "x.jpg").string();
    EXPECT_EQ(Run({ pic }), 1);
    EXPECT_TRUE(Traced("msgbox\t" + Utf8(Edition::Title) + "\tファイル " + (Dir / "gone").string() + "/" + ActiveToUtf8(Cp932ToActive(Edition::SavePrefix)) + "x.jpg を作成できません\tOK"));
}

TEST_F(MainRoad, FolderOrFifoNamedLikeAPictureGiveAWhiteStamp)
{
    fs::create_directories(Dir / "folder.jpg");
    EXPECT_EQ(Run({ (Dir / "folder.jpg").string() }), 0);
    EXPECT_TRUE(fs::is_regular_file(StampFile("folder.jpg")));
    TearDown();
    Started = false;
    SetUp();
    ASSERT_EQ(mkfifo((Dir / "pipe.jpg").c_str(), 0600), 0);
    EXPECT_EQ(Run({ (Dir / "pipe.jpg").string() }), 0); // never blocks on the FIFO
    EXPECT_TRUE(Traced(SavedLine(600, 600)));
}

TEST_F(MainRoad, ArgumentsAreJoinedWithSingleBlanks)
{
    fs::path pic = Dir / "My Pictures" / "cat.bmp";
    fs::create_directories(pic.parent_path());
    WriteProbePicture(pic, 200, 150);
    std::string s = pic.string();
    size_t blank = s.find(' ');
    EXPECT_EQ(Run({ s.substr(0, blank), s.substr(blank + 1) }), 0);
    EXPECT_EQ(MainForm1->InputPath(), s + " ");
    EXPECT_EQ(MainForm1->InputExt(), ".bmp ");
    EXPECT_TRUE(fs::exists(pic.parent_path() / (ActiveToUtf8(Cp932ToActive(Edition::SavePrefix)) + "cat.jpg")));
}
