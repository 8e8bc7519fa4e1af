// The main window's road through the kit: a crest panel read from a description, shown, fitted
// to a smaller client area, then given a picture. Its region must be the crest's non-magenta
// pixels at every size and must not follow what is drawn into the picture image afterwards.

#include "ClearFixture.h"

#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Methods.h"
#include "platform/streaming/Published.h"
#include "platform/streaming/Resources.h"
#include "platform/ui/StdCtrls.h"

#include <fstream>
#include <iterator>

using namespace ClearTesting;

namespace {

const char* const CrestFormText = R"(object CrestForm: TCrestForm
  Left = 164
  Top = 9
  BorderStyle = bsToolWindow
  Caption = 'crest'
  ClientHeight = 600
  ClientWidth = 600
  Color = clWhite
  FormStyle = fsStayOnTop
  object ClearPanel1: TClearPanel
    Left = 0
    Top = 0
    Width = 600
    Height = 600
    Align = alClient
    AutoSize = False
    CaptionLeft = 0
    CaptionTop = 0
    ChildGraphicsTrans = True
    FormTrans = False
    HotTrack = False
    HotLightDepth = 0
    ParentDrag = False
    ShowHint = False
    ParentShowHint = False
    ParentFont = True
    object Image3: TImage
      Left = 0
      Top = 0
      Width = 600
      Height = 600
      Align = alClient
      Stretch = True
      Picture.Data = resource 'TESTCREST'
    end
    object Image2: TImage
      Left = 0
      Top = 0
      Width = 600
      Height = 600
      Align = alClient
    end
    object Button1: TButton
      Left = 264
      Top = 290
      Width = 74
      Height = 20
      Anchors = []
      Caption = 'save'
      TabOrder = 0
      Visible = False
    end
  end
end
)";

class TCrestForm : public TForm {
    PK_CLASS(TCrestForm)
public:
    explicit TCrestForm(TComponent* owner)
        : TForm(owner)
    {
        ReadDescription("CRESTFORM");
    }
    TClearPanel* ClearPanel1 = nullptr;
    TImage* Image2 = nullptr;
    TImage* Image3 = nullptr;
};
PK_CLASS_IMPL(TCrestForm, TForm, &CreateComponent<TCrestForm>)

const TMethodTable& CrestFormMethods()
{
    static const TMethodTable table = Methods<TCrestForm>()
                                          .Field("ClearPanel1", &TCrestForm::ClearPanel1)
                                          .Field("Image2", &TCrestForm::Image2)
                                          .Field("Image3", &TCrestForm::Image3);
    return table;
}
const TPublishedRegistration CrestFormPublished(TCrestForm::StaticClassInfo(), nullptr, CrestFormMethods);

const std::vector<std::uint8_t>& CrestBytes()
{
    static const std::vector<std::uint8_t> bytes = [] {
        std::ifstream in(PAKKORIN_SOURCE_DIR "/app/crest-standard.bmp", std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

// The crest stretched to width x height the way a stretched image shows it.
std::unique_ptr<TBitmap> StretchedCrest(int width, int height)
{
    TBitmap crest;
    crest.LoadFromBytes(CrestBytes());
    auto out = std::make_unique<TBitmap>();
    out->SetPixelFormat(pf24bit);
    out->SetSize(width, height);
    out->Canvas().StretchDraw({ 0, 0, width, height }, crest);
    return out;
}

// Every pixel of the region is a non-magenta pixel of the crest, and the other way round.
void ExpectCrestShape(const std::optional<TRegion>& region, int width, int height)
{
    ASSERT_TRUE(region.has_value());
    const auto crest = StretchedCrest(width, height);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (region->Contains({ x, y }) != (PixelOf(*crest, x, y) != Magenta))
                ++wrong;
    EXPECT_EQ(wrong, 0) << width << " x " << height;
    EXPECT_TRUE(TRect({ 0, 0, width, height }).Contains(region->BoundingBox().TopLeft()));
    EXPECT_LE(region->BoundingBox().Right, width);
    EXPECT_LE(region->BoundingBox().Bottom, height);
}

class CrestRoadTest : public ClearTest {
protected:
    void SetUp() override
    {
        ClearTest::SetUp();
        ASSERT_FALSE(CrestBytes().empty()) << "app/crest-standard.bmp";
        static const std::string text = CrestFormText;
        RegisterResource("CRESTFORM", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        RegisterResource("TESTCREST", CrestBytes());
        RegisterClass(TCrestForm::StaticClassInfo());
    }
};

} // namespace

TEST_F(CrestRoadTest, RegionIsTheCrestAtEverySizeAndIgnoresThePictureDrawnLater)
{
    TCrestForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form->ClearPanel1, nullptr);
    form->Show();
    Pump();
    HWND panel = form->ClearPanel1->Handle();
    ExpectCrestShape(GetWindowRgn(panel), 600, 600);

    // Each size change recomputes at once, inside the setter.
    form->SetClientHeight(533);
    EXPECT_EQ(form->ClearPanel1->Height(), 533);
    ExpectCrestShape(GetWindowRgn(panel), 600, 533);
    form->SetClientWidth(533);
    ExpectCrestShape(GetWindowRgn(panel), 533, 533);

    // The picture drawn into the upper image has no magenta at all; the shape stays the crest's.
    TCanvas& canvas = form->Image2->Canvas();
    canvas.Brush().SetColor(clNavy);
    canvas.FillRect({ 0, 0, 533, 533 });
    Pump();
    ExpectCrestShape(GetWindowRgn(panel), 533, 533);
    // And what the screen shows inside the ring is the picture, outside it the white form.
    const TPoint origin = form->ClearPanel1->ClientOrigin();
    EXPECT_EQ(ScreenPixel(origin + TPoint { 266, 2 }), ColorToPixelWord(clNavy));
    EXPECT_EQ(ScreenPixel(origin + TPoint { 2, 2 }), ColorToPixelWord(clWhite));
}
