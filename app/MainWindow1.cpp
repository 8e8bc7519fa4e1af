#include "app/MainWindow1.h"

#include "app/Edition.h"
#include "platform/base/CodePage.h"
#include "platform/base/CommandLine.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Paths.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Published.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Shell.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

TMainForm1* MainForm1 = nullptr;
std::function<std::time_t()> MainWindowClock = [] { return std::time(nullptr); };

PK_CLASS_IMPL(TMainForm1, TForm, &CreateComponent<TMainForm1>)

namespace {

// The designed client size, and how far beyond the screen's edge the constructor puts the window.
constexpr int DesignedSize = 600;
constexpr int ConstructorDistance = 620;
constexpr int Step = 32;
// The maker's web site.
constexpr const char* InformationHost = "www.pakkorin.example";

const TMethodTable& MainForm1Methods()
{
    static const TMethodTable table = Methods<TMainForm1>()
                                          .Field("ClearPanel1", &TMainForm1::ClearPanel1)
                                          .Field("Image2", &TMainForm1::Image2)
                                          .Field("Panel1", &TMainForm1::Panel1)
                                          .Field("Image1", &TMainForm1::Image1)
                                          .Field("Timer1", &TMainForm1::Timer1)
                                          .Field("Button1", &TMainForm1::Button1)
                                          .Field("Image3", &TMainForm1::Image3)
                                          .Method("FormCreate", &TMainForm1::FormCreate)
                                          .Method("Timer1Timer", &TMainForm1::Timer1Timer)
                                          .Method("Button1Click", &TMainForm1::Button1Click);
    return table;
}
const TPublishedRegistration MainForm1Published(TMainForm1::StaticClassInfo(), nullptr, MainForm1Methods);

// The minute of the local time as the two digits "%M" gives, read back as a number.
int LocalMinute()
{
    std::time_t now = MainWindowClock();
    tzset();
    std::tm local {};
    localtime_r(&now, &local);
    char buffer[3] = {};
    std::strftime(buffer, sizeof buffer, "%M", &local);
    return std::atoi(buffer);
}

} // namespace

void RegisterMainWindow()
{
    RegisterClass(TMainForm1::StaticClassInfo());
}

std::int32_t EntrySideForMinute(int m)
{
    std::int32_t side = 0;
    if ((m >= 53 && m <= 59) || (m >= 0 && m <= 7))
        side = 2;
    if (m >= 8 && m <= 22)
        side = 1;
    if (m >= 23 && m <= 37)
        side = 3;
    if (m >= 38 && m <= 52)
        side = 0;
    return side;
}

TPoint ConstructorStart(std::int32_t side, int sw, int sh)
{
    switch (side) {
    case 0:
        return { -ConstructorDistance, Halved(sh - DesignedSize) };
    case 1:
        return { sw + ConstructorDistance, Halved(sh - DesignedSize) };
    case 2:
        return { Halved(sw - DesignedSize), -ConstructorDistance };
    default:
        return { Halved(sw - DesignedSize), sh + ConstructorDistance };
    }
}

TPoint FirstTickStart(std::int32_t side, int w, int h, int sw, int sh)
{
    // Left and top starts lie 20 pixels beyond the edge; the right and bottom ones are the
    // window's own size plus 620 from the origin, not the screen's.
    switch (side) {
    case 0:
        return { -w - 20, Halved(sh - h) };
    case 1:
        return { w + ConstructorDistance, Halved(sh - h) };
    case 2:
        return { Halved(sw - w), -h - 20 };
    default:
        return { Halved(sw - w), h + ConstructorDistance };
    }
}

AnsiString InformationLocation(const AnsiString& programFile)
{
    // The program file's name without its extension, appended without any escaping.
    AnsiString name = ExtractFileName(programFile);
    size_t dot = LastDelimiter(".", name);
    if (dot != AnsiString::npos)
        name.erase(dot);
    return AnsiString("http://") + InformationHost + "/info.php?pf=w&sn=" + name;
}

AnsiString StampPath(const AnsiString& inputPath)
{
    AnsiString renamed = ChangeFileExt(inputPath, ".jpg");
    AnsiString name = ExtractFileName(renamed);
    AnsiString folder = ExtractFilePath(inputPath);
    return folder + Cp932ToActive(Edition::SavePrefix) + name;
}

TMainForm1::TMainForm1(TComponent* Owner)
    : TForm(Owner)
{
    ReadDescription("MainForm1");
    FInputPath.clear();
    FInputExt.clear();
    FEntrySide = EntrySideForMinute(LocalMinute());
    TPoint start = ConstructorStart(FEntrySide, Screen->Width(), Screen->Height());
    SetTop(start.Y);
    SetLeft(start.X);
}

void TMainForm1::FormCreate(TObject*)
{
    int count = ParamCount();
    if (count >= 1) {
        for (int i = 1; i <= count; ++i)
            FInputPath += ParamStr(i) + " ";
        if (!FileExists(FInputPath))
            return;
        FInputExt = ExtractFileExt(FInputPath);
        if (AnsiCompareText(FInputExt, ".BMP ") == 0 || AnsiCompareText(FInputExt, ".JPG ") == 0
            || AnsiCompareText(FInputExt, ".JPEG ") == 0)
            Image1->Picture().LoadFromFile(FInputPath.substr(0, FInputPath.size() - 1));
        return;
    }
    MessageBeep(MB_OK);
    Application->MessageBox(Cp932ToActive(EditionTexts::DropText), Application->Title(), MB_OK);
    if (MessageDlg(Cp932ToActive(EditionTexts::InfoQuestion), mtConfirmation, { mbYes, mbNo }, 0) == mrYes)
        ShellExecute(Handle(), "OPEN", InformationLocation(ParamStr(0)), "", "", SW_SHOW);
}

void TMainForm1::DrawPicture()
{
    TGraphic* graphic = Image1->Picture().Graphic();
    int w = Image1->Width();
    int h = Image1->Height();
    TCanvas& canvas = Image2->Canvas();
    if (!graphic)
        return;
    int x = Halved(Image2->Width() - w);
    int y = Halved(Image2->Height() - h);
    try {
        canvas.Draw(x, y, *graphic);
    } catch (const Exception& e) {
        // A picture whose header was read but whose data cannot be drawn: said once, with the
        // timer held so that no tick runs inside the box, then the run goes on with no picture.
        Timer1->SetEnabled(false);
        Image1->Picture().SetGraphic(nullptr);
        Application->ShowException(e);
        Timer1->SetEnabled(true);
    }
}

void TMainForm1::Timer1Timer(TObject* Sender)
{
    // Ticks wait until the window has been shown, so every run stamps a window on the screen.
    if (!Showing())
        return;
    if (ParamCount() == 0) {
        Close();
        return;
    }
    if (Timer1->Tag() == 0) {
        int w = Image1->Width();
        int h = Image1->Height();
        if (w > h) {
            if (h < DesignedSize) {
                SetClientHeight(h);
                SetClientWidth(h);
            }
        } else if (w < DesignedSize) {
            SetClientWidth(w);
            SetClientHeight(w);
        }
        DrawPicture();
        TPoint start = FirstTickStart(FEntrySide, Width(), Height(), Screen->Width(), Screen->Height());
        SetTop(start.Y);
        SetLeft(start.X);
        Timer1->SetTag(1);
    }
    int cx = Halved(Screen->Width() - Width());
    int cy = Halved(Screen->Height() - Height());
    bool moving = false;
    switch (FEntrySide) {
    case 0:
        moving = Left() < cx;
        if (moving)
            SetLeft(Left() + Step);
        break;
    case 1:
        moving = Left() > cx;
        if (moving)
            SetLeft(Left() - Step);
        break;
    case 2:
        moving = Top() < cy;
        if (moving)
            SetTop(Top() + Step);
        break;
    default:
        moving = Top() > cy;
        if (moving)
            SetTop(Top() - Step);
        break;
    }
    if (moving)
        return;
    Timer1->SetEnabled(false);
    Button1Click(Sender);
    Close();
}

void TMainForm1::Button1Click(TObject*)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    auto bitmap = std::make_unique<TBitmap>();
    TRect r { 0, 0, Image2->Width(), Image2->Height() };
    // The stamp is what the client area shows at rest: pending paints are done first.
    Update();
    Image2->Canvas().CopyRect(r, Canvas(), r);
    bitmap->Assign(&Image2->Picture().Bitmap());
    jpeg->Assign(bitmap.get());
    jpeg->SetCompressionQuality(80);
    jpeg->SaveToFile(StampPath(FInputPath));
    jpeg.reset();
    bitmap.reset();
    MessageBeep(MB_OK);
    Application->MessageBox(IntToStr(Image2->Width()) + " x " + IntToStr(Image2->Height()) + Cp932ToActive(Edition::SavedEnding),
        Application->Title(), MB_OK);
}
