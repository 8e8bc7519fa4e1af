// Any text given to the form description reader either becomes a form whose written description
// reads back into a second form and writes the same text again, or is refused with the
// platform's exception; the forms are destroyed each time, so a leak or a dangling reference
// left by a half-read description shows up here.
//
// The root's class has the program's published fields and the event handlers the program's and
// the demo's descriptions name, so their seeds read through; the resources they name are small
// bitmaps registered here.

#include "fuzz/Finding.h"
#include "controls/shaped/ClearCtrl.h"
#include "controls/shine_button/ShineSpdBtn.h"
#include "platform/base/Exception.h"
#include "platform/display/Platform.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/streaming/DescriptionReader.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/DescriptionWriter.h"
#include "platform/streaming/Published.h"
#include "platform/streaming/Resources.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UiRegistration.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

class TFuzzForm : public TForm {
    PK_CLASS(TFuzzForm)
public:
    explicit TFuzzForm(TComponent* owner)
        : TForm(owner)
    {
    }
    void FormCreate(TObject*) { }
    void Timer1Timer(TObject*) { }
    void Button1Click(TObject*) { }
    void MoverTimer(TObject*) { }

    TImage* Image1 = nullptr;
    TImage* Image2 = nullptr;
    TImage* Image3 = nullptr;
    TPanel* Panel1 = nullptr;
    TTimer* Timer1 = nullptr;
    TButton* Button1 = nullptr;
};
PK_CLASS_IMPL(TFuzzForm, TForm, &CreateComponent<TFuzzForm>)

const TMethodTable& FuzzFormMethods()
{
    static const TMethodTable table = Methods<TFuzzForm>()
                                          .Field("Image1", &TFuzzForm::Image1)
                                          .Field("Image2", &TFuzzForm::Image2)
                                          .Field("Image3", &TFuzzForm::Image3)
                                          .Field("Panel1", &TFuzzForm::Panel1)
                                          .Field("Timer1", &TFuzzForm::Timer1)
                                          .Field("Button1", &TFuzzForm::Button1)
                                          .Method("FormCreate", &TFuzzForm::FormCreate)
                                          .Method("Timer1Timer", &TFuzzForm::Timer1Timer)
                                          .Method("Button1Click", &TFuzzForm::Button1Click)
                                          .Method("MoverTimer", &TFuzzForm::MoverTimer);
    return table;
}
const TPublishedRegistration FuzzFormPublished(TFuzzForm::StaticClassInfo(), nullptr, FuzzFormMethods);

std::vector<std::uint8_t> SmallBitmap(int size, int bpp)
{
    TDibImage image;
    if (bpp <= 8)
        image.Palette = { 0x000000, 0xFFFFFF };
    image.Allocate(size, size, bpp);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.SetPixelWord(x, y, (x + y) % 2 ? 0xFFFFFF : 0x000000);
    return WriteBmp(image);
}

void Prepare()
{
    TPlatformSettings settings;
    settings.Backend = "headless";
    settings.Answer = "no";
    InitPlatform(settings);
    RegisterStandardClasses();
    Register();
    ShineSpdBtn::Register();
    RegisterClass(TFuzzForm::StaticClassInfo());
    // Resources must outlive the registry, which keeps only the span.
    static const std::vector<std::uint8_t> crest = SmallBitmap(8, 1);
    static const std::vector<std::uint8_t> picture = SmallBitmap(5, 24);
    RegisterResource("CREST", crest);
    RegisterResource("DEMOPICTURE", picture);
}

} // namespace

// Shaped controls that size themselves when they are loaded do so from what their children are at
// that moment, so a description holding one can come back at another size; for those the written
// text is only required to read back, not to come back unchanged.
static bool SizesItselfWhenLoaded(const TComponent& root)
{
    for (int i = 0; i < root.ComponentCount(); ++i)
        if (auto* c = dynamic_cast<const TClearControl*>(root.Components(i)); c && c->AutoSize())
            return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool prepared = (Prepare(), true);
    (void)prepared;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string written;
    {
        auto first = std::make_unique<TFuzzForm>(nullptr);
        try {
            ReadRootComponent(first.get(), text);
        } catch (const Exception&) {
            return 0;
        }
        written = WriteRootComponent(first.get());
    }

    auto second = std::make_unique<TFuzzForm>(nullptr);
    try {
        ReadRootComponent(second.get(), written);
    } catch (const Exception& e) {
        std::fprintf(stderr, "written text:\n%s\nrefused with: %s\n", written.c_str(), e.Message().c_str());
        Finding("a written description is refused when read back");
    }
    const std::string again = WriteRootComponent(second.get());
    if (again != written && !SizesItselfWhenLoaded(*second)) {
        std::fprintf(stderr, "first written:\n%s\nwritten after reading it back:\n%s\n", written.c_str(), again.c_str());
        Finding("a written description changes when read back and written again");
    }
    return 0;
}
