#pragma once
// TMainForm1: the stamp window. Its description (MainForm1) places a TClearPanel holding the
// crest, the image that receives the picture and the hidden save button; the hidden panel's image
// takes the loaded picture at its natural size; the 20 ms timer drives the slide and the stamp.
//
// The road of one picture: the constructor chooses the entry side from the local minute and puts
// the window outside the screen; FormCreate joins the arguments into the picture path and loads
// the picture; the loop shows the window; the first tick fits the window to the picture's smaller
// side, draws the picture centred into Image2 and re-places the window; each tick moves it 32
// pixels toward the middle; the tick that finds it there stops the timer, saves the stamp and
// closes the window.

#include "controls/shaped/ClearCtrl.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <cstdint>
#include <ctime>
#include <functional>

class TMainForm1 : public TForm {
    PK_CLASS(TMainForm1)
public:
    TClearPanel* ClearPanel1 = nullptr;
    TImage* Image2 = nullptr;
    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TTimer* Timer1 = nullptr;
    TButton* Button1 = nullptr;
    TImage* Image3 = nullptr;

    explicit TMainForm1(TComponent* Owner);

    void FormCreate(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void Button1Click(TObject* Sender);

    const AnsiString& InputPath() const { return FInputPath; }
    const AnsiString& InputExt() const { return FInputExt; }
    std::int32_t EntrySide() const { return FEntrySide; }

private:
    // The first tick's picture drawing; a picture that cannot be drawn is reported once and
    // counts as no picture.
    void DrawPicture();

    AnsiString FInputPath;
    AnsiString FInputExt;
    std::int32_t FEntrySide = 0;
};

extern TMainForm1* MainForm1;

// The clock the constructor reads the minute from (tests set it; the program uses time()).
extern std::function<std::time_t()> MainWindowClock;

// The entry side for a minute (0 left, 1 right, 2 top, 3 bottom).
std::int32_t EntrySideForMinute(int minute);
// Where the constructor puts a window of the designed size before it is shown (Left, Top).
TPoint ConstructorStart(std::int32_t side, int screenWidth, int screenHeight);
// Where the first tick puts a window of outer size width x height (Left, Top).
TPoint FirstTickStart(std::int32_t side, int width, int height, int screenWidth, int screenHeight);
// The location of the maker's information page for a program file name.
AnsiString InformationLocation(const AnsiString& programFile);
// The output path of the stamp for a picture path as joined from the command line.
AnsiString StampPath(const AnsiString& inputPath);

// Registers the main window's class for the form reader (the program entry calls it).
void RegisterMainWindow();
