// The program entry: prepares the application, creates the main window from its description, runs
// the message loop until the window closes and reports whatever escapes. The exit status is 1 when
// an error box was shown, so a failure is never reported as success to a script.

#include "app/Edition.h"
#include "app/MainWindow1.h"
#include "controls/shaped/ClearCtrl.h"
#include "controls/shine_button/ShineSpdBtn.h"
#include "platform/base/CodePage.h"
#include "platform/base/CommandLine.h"
#include "platform/display/Platform.h"

int main(int argc, char** argv)
{
    SetCommandLine(argc, argv);
    InitPlatform();
    // Every control class of the program is known to the form reader, the speed button's too.
    Register();
    ShineSpdBtn::Register();
    RegisterMainWindow();
    try {
        Application->Initialize();
        Application->SetTitle(Cp932ToActive(Edition::Title));
        Application->CreateForm(MainForm1);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    int code = Application->Finish();
    DonePlatform();
    return code;
}
