#include "UiFixture.h"

#include "platform/graphics/BmpCodec.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/DescriptionWriter.h"
#include "platform/streaming/Published.h"
#include "platform/streaming/Resources.h"
#include "platform/ui/ExtCtrls.h"

namespace {

std::vector<std::string> gOrder;
const char* gResource = "ORDERFORM";

class TOrderProbe : public TGraphicControl {
    PK_CLASS(TOrderProbe)
public:
    explicit TOrderProbe(TComponent* owner)
        : TGraphicControl(owner)
    {
    }
    void Loaded() override
    {
        gOrder.push_back("Loaded " + Name());
        TGraphicControl::Loaded();
    }
};
PK_CLASS_IMPL(TOrderProbe, TGraphicControl, &CreateComponent<TOrderProbe>)

class TOrderForm;
TOrderForm* gOrderForm = nullptr;

class TOrderForm : public TForm {
    PK_CLASS(TOrderForm)
public:
    explicit TOrderForm(TComponent* owner)
        : TForm(owner)
    {
        gOrder.push_back(gOrderForm == this ? "global set" : "global not set");
        ReadDescription(gResource);
        gOrder.push_back("body");
    }
    void FormCreate(TObject*) { gOrder.push_back("OnCreate"); }
    TPanel* Panel = nullptr;
};
PK_CLASS_IMPL(TOrderForm, TForm, &CreateComponent<TOrderForm>)

const TMethodTable& OrderFormMethods()
{
    static const TMethodTable table = Methods<TOrderForm>().Method("FormCreate", &TOrderForm::FormCreate).Field("Panel", &TOrderForm::Panel);
    return table;
}
const TPublishedRegistration OrderFormPublished(TOrderForm::StaticClassInfo(), nullptr, OrderFormMethods);

const char* const Description = R"(object OrderForm: TOrderForm
  Left = 10
  Top = 20
  BorderStyle = bsToolWindow
  Caption = 'Order'
  ClientHeight = 100
  ClientWidth = 200
  Color = clWhite
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = [fsBold, fsItalic]
  OnCreate = FormCreate
  object Panel: TPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    Anchors = [akLeft, akRight]
    Color = $00FF8000
    object Probe: TOrderProbe
      Left = 5
      Top = 6
      Width = 7
      Height = 8
    end
    object Image1: TImage
      Left = 1
      Top = 2
      Width = 3
      Height = 4
      Picture.Data = resource 'TINYBMP'
    end
  end
end
)";

std::vector<std::uint8_t> TinyBmp()
{
    TDibImage img;
    img.Palette = { 0xFFFFFF, 0xFF00FF, 0x000000 };
    img.Allocate(2, 2, 4);
    img.SetPixelWord(0, 0, 0xFF00FF);
    img.SetPixelWord(1, 1, 0x000000);
    img.SetPixelWord(1, 0, 0xFFFFFF);
    img.SetPixelWord(0, 1, 0xFFFFFF);
    return WriteBmp(img);
}

class FormTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        static const std::string text = Description;
        static const std::vector<std::uint8_t> bmp = TinyBmp();
        RegisterResource("ORDERFORM", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        RegisterResource("TINYBMP", bmp);
        RegisterClass(TOrderProbe::StaticClassInfo());
        RegisterClass(TOrderForm::StaticClassInfo());
        gOrder.clear();
        gResource = "ORDERFORM";
    }
};

} // namespace

TEST_F(FormTest, CreationOrderIsConstructReadLoadedBodyThenOnCreate)
{
    Application->CreateForm(gOrderForm);
    EXPECT_EQ(gOrder, (std::vector<std::string> { "global set", "Loaded Probe", "body", "OnCreate" }));
    ASSERT_NE(gOrderForm->Panel, nullptr);
    EXPECT_EQ(gOrderForm->Panel->Parent(), gOrderForm);
    EXPECT_EQ(gOrderForm->ClientWidth(), 200);
    EXPECT_EQ(gOrderForm->Width(), 206);
    EXPECT_EQ(gOrderForm->Left(), 10);
}

TEST_F(FormTest, DescriptionReadsNestedChildrenFontSetAndBitmapAndWritesThemBack)
{
    Application->CreateForm(gOrderForm);
    TOrderForm* form = gOrderForm;
    EXPECT_EQ(form->Font().Style(), (TFontStyles { fsBold, fsItalic }));
    EXPECT_EQ(form->Panel->Anchors(), (TAnchors { akLeft, akRight }));
    EXPECT_EQ(form->Panel->Color(), 0x00FF8000u);
    // Children that keep ParentFont follow the form's font.
    EXPECT_EQ(form->Panel->Font().Style(), (TFontStyles { fsBold, fsItalic }));
    auto* image = dynamic_cast<TImage*>(form->FindComponent("Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Parent(), form->Panel);
    auto* bitmap = dynamic_cast<TBitmap*>(image->Picture().Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Image().GetPixelWord(0, 0), 0xFF00FFu);

    std::string written = WriteRootComponent(form);
    EXPECT_NE(written.find("Picture.Data = {"), std::string::npos) << written;
    EXPECT_NE(written.find("Font.Style = [fsBold, fsItalic]"), std::string::npos) << written;
    EXPECT_EQ(written.find("Cursor"), std::string::npos) << "defaults are left out";

    static std::string again;
    again = written;
    RegisterResource("ORDERFORM2", std::span(reinterpret_cast<const std::uint8_t*>(again.data()), again.size()));
    gResource = "ORDERFORM2";
    auto* second = new TOrderForm(Application);
    auto* image2 = dynamic_cast<TImage*>(second->FindComponent("Image1"));
    ASSERT_NE(image2, nullptr);
    auto* bitmap2 = dynamic_cast<TBitmap*>(image2->Picture().Graphic());
    ASSERT_NE(bitmap2, nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(bitmap2->Image().GetPixelWord(x, y), bitmap->Image().GetPixelWord(x, y));
    EXPECT_EQ(second->Panel->Anchors(), form->Panel->Anchors());
    EXPECT_EQ(WriteRootComponent(second), written);
}
