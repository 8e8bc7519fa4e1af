// A small program built from the platform alone: a form read from its description, with a
// stretched picture and a timer that moves the form ten pixels a tick, five times, then stops.
// On the headless screen the run ends by itself when nothing is left to happen.

#include "platform/base/CommandLine.h"
#include "platform/display/Platform.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Published.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"

class TDemoForm : public TForm {
    PK_CLASS(TDemoForm)
public:
    TImage* Picture = nullptr;
    TTimer* Mover = nullptr;

    explicit TDemoForm(TComponent* owner)
        : TForm(owner)
    {
        ReadDescription("DemoForm");
    }
    void FormCreate(TObject*) { Mover->SetTag(0); }
    void MoverTimer(TObject*)
    {
        if (!Showing())
            return;
        SetLeft(Left() + 10);
        Mover->SetTag(Mover->Tag() + 1);
        if (Mover->Tag() == 5)
            Mover->SetEnabled(false);
    }
};
PK_CLASS_IMPL(TDemoForm, TForm, &CreateComponent<TDemoForm>)

namespace {
const TMethodTable& DemoMethods()
{
    static const TMethodTable table = Methods<TDemoForm>()
                                          .Field("Picture", &TDemoForm::Picture)
                                          .Field("Mover", &TDemoForm::Mover)
                                          .Method("FormCreate", &TDemoForm::FormCreate)
                                          .Method("MoverTimer", &TDemoForm::MoverTimer);
    return table;
}
const TPublishedRegistration DemoPublished(TDemoForm::StaticClassInfo(), nullptr, DemoMethods);
TDemoForm* DemoForm = nullptr;
}

int main(int argc, char** argv)
{
    SetCommandLine(argc, argv);
    InitPlatform();
    RegisterClass(TDemoForm::StaticClassInfo());
    try {
        Application->SetTitle("Platform demo");
        Application->CreateForm(DemoForm);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    int code = Application->Finish();
    DonePlatform();
    return code;
}
