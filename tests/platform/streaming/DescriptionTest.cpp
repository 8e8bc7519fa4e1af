#include "TestClasses.h"

#include "platform/base/CodePage.h"
#include "platform/base/Exception.h"
#include "platform/streaming/DescriptionReader.h"
#include "platform/streaming/DescriptionWriter.h"
#include "platform/streaming/Resources.h"

#include <gtest/gtest.h>

namespace {

struct CodePageGuard {
    int Saved = ActiveCodePage();
    ~CodePageGuard() { SetActiveCodePage(Saved); }
};

// What the writer must give back for it, byte for byte.
const char* const Canonical = R"(object Form1: TTestForm
  Tag = -7
  Caption = 'Pakkorin ''test'''#13#10'２行目'
  Color = clWhite
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clRed
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = [fsBold, fsUnderline]
  OnCreate = FormCreate
  object Panel1: TTestPanel
    Left = -8
    Align = taClient
    Anchors = [tkLeft, tkRight]
    Caption = 'パネル'
    Buddy = Image1
    BevelWidth = 3
    Width = 300
    object Button1: TTestControl
      Left = 264
      Visible = False
      Color = $00123456
      ParentFont = False
      Font.Height = -16
      Font.Name = 'IPAPGothic'
      Font.Style = [fsItalic]
      Picture.Data = {
        000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F
        2021222324252627}
      OnClick = BaseClick
    end
  end
  object Timer1: TTestTimer
    Interval = 20
    OnTimer = FormCreate
  end
  object Image1: TTestControl
    Left = 0
    Anchors = []
    Picture.Data = resource 'TEST_BYTES'
    Buddy = Button1
  end
end
)";

TTestControl* Control(TComponent& root, const char* name)
{
    return dynamic_cast<TTestControl*>(root.FindComponent(name));
}

void ExpectCanonicalValues(TTestForm& form)
{
    EXPECT_EQ(form.Name(), "Form1");
    EXPECT_EQ(form.Tag(), -7);
    EXPECT_EQ(form.Caption(), Utf8ToActive("Pakkorin 'test'\r\n２行目"));
    EXPECT_EQ(form.Color(), clWhite);
    EXPECT_EQ(form.Font()->Charset(), SHIFTJIS_CHARSET);
    EXPECT_EQ(form.Font()->Color(), clRed);
    EXPECT_EQ(form.Font()->Height(), -12);
    EXPECT_EQ(form.Font()->Name(), Utf8ToActive("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form.Font()->Style(), (TFontStyles { fsBold, fsUnderline }));

    ASSERT_EQ(form.ComponentCount(), 4);
    TTestPanel* panel = form.Panel1;
    TTestControl* button = form.Button1;
    TTestControl* image = Control(form, "Image1");
    ASSERT_TRUE(panel && button && image);
    EXPECT_EQ(form.Components(0), panel);
    EXPECT_EQ(form.Components(1), button);
    EXPECT_EQ(panel->Parent(), &form);
    EXPECT_EQ(button->Parent(), panel);
    EXPECT_EQ(image->Parent(), &form);

    EXPECT_EQ(panel->Left(), -8);
    EXPECT_EQ(panel->Align(), taClient);
    EXPECT_EQ(panel->Anchors(), (TTestAnchors { tkLeft, tkRight }));
    EXPECT_EQ(panel->Caption(), Utf8ToActive("パネル"));
    EXPECT_EQ(panel->Buddy(), image); // named before Image1 exists
    EXPECT_EQ(panel->BevelWidth(), 3);
    EXPECT_EQ(panel->Width(), 300);

    EXPECT_FALSE(button->Visible());
    EXPECT_EQ(button->Color(), 0x00123456u);
    EXPECT_FALSE(button->ParentFont());
    EXPECT_EQ(button->Font()->Height(), -16);
    EXPECT_EQ(button->Font()->Style(), TFontStyles { fsItalic });
    ASSERT_EQ(button->Picture()->Data.size(), 40u);
    EXPECT_EQ(button->Picture()->Data.front(), 0x00);
    EXPECT_EQ(button->Picture()->Data.back(), 0x27);
    EXPECT_TRUE(button->Picture()->DataResource.empty());

    EXPECT_TRUE(image->Anchors().Empty());
    EXPECT_EQ(image->Buddy(), button);
    auto resource = FindResource("TEST_BYTES");
    ASSERT_TRUE(resource);
    EXPECT_EQ(image->Picture()->Data, std::vector<std::uint8_t>(resource->begin(), resource->end()));
    EXPECT_EQ(image->Picture()->DataResource, "TEST_BYTES");

    // Handlers are the root's methods, bound by name (the base class's included).
    form.Calls.clear();
    ASSERT_TRUE(form.OnCreate);
    EXPECT_STREQ(form.OnCreate.MethodName(), "FormCreate");
    form.OnCreate(&form);
    button->OnClick(button);
    auto* timer = dynamic_cast<TTestTimer*>(form.FindComponent("Timer1"));
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->Interval(), 20);
    timer->OnTimer()(timer);
    EXPECT_EQ(form.Calls, (std::vector<std::string> { "FormCreate(Form1)", "BaseClick(Button1)", "FormCreate(Timer1)" }));
}

} // namespace

TEST(DescriptionTest, ReadsWritesBackAndReadsAgain)
{
    CodePageGuard guard;
    for (int codePage : { CodePage::Utf8, CodePage::ShiftJis }) {
        SCOPED_TRACE(codePage);
        SetActiveCodePage(codePage);
        TTestForm form(nullptr);
        ReadRootComponent(&form, Canonical);
        ExpectCanonicalValues(form);

        const std::string written = WriteRootComponent(&form);
        EXPECT_EQ(written, Canonical);

        TTestForm again(nullptr);
        ReadRootComponent(&again, written);
        ExpectCanonicalValues(again);
    }
}

TEST(DescriptionTest, WriterLeavesOutDefaults)
{
    TTestForm form(nullptr);
    form.SetName("Form1");
    auto* panel = new TTestPanel(&form);
    panel->SetName("Panel1");
    panel->SetParentComponent(&form);
    auto* button = new TTestControl(&form);
    button->SetName("Button1");
    button->SetParentComponent(&form);
    button->SetWidth(260); // the panel's default, not this class's
    button->Font()->SetHeight(-20); // not stored while the font follows the parent's
    auto* timer = new TTestTimer(&form);
    timer->SetName("Timer1");
    timer->SetOnTimer([](TObject*) { }); // not bound by name, so it cannot be stored

    // Caption, Left, Font.Height and Font.Name declare no default: always written.
    EXPECT_EQ(WriteRootComponent(&form), R"(object Form1: TTestForm
  Caption = ''
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  object Panel1: TTestPanel
    Left = 0
  end
  object Button1: TTestControl
    Left = 0
    Width = 260
  end
  object Timer1: TTestTimer
  end
end
)");
}

TEST(DescriptionTest, LoadingOrderAndFlagsSeenFromSetters)
{
    Journal().clear();
    TTestForm form(nullptr);
    ReadRootComponent(&form, R"(object Form1: TTestForm
  Caption = 'x'
  object Panel1: TTestPanel
    Left = 1
    object Button1: TTestControl
      Left = 2
    end
  end
  object Timer1: TTestTimer
    Interval = 20
    OnTimer = FormCreate
  end
end
)");
    // ReadState runs with the parent set and before the properties; Loaded comes once all is
    // read, the root first, and clears csLoading (csReading stays until every Loaded has run).
    EXPECT_EQ(Journal(), (std::vector<std::string> {
                             "Form1 ReadState loading reading",
                             "Form1 Caption loading reading",
                             "Panel1 ReadState loading reading",
                             "Panel1 Left parent=Form1 loading reading",
                             "Button1 ReadState loading reading",
                             "Button1 Left parent=Panel1 loading reading",
                             "Timer1 Interval loading reading",
                             "Timer1 OnTimer interval=20 loading reading",
                             "Form1 Loaded loading reading",
                             "Panel1 Loaded loading reading",
                             "Button1 Loaded loading reading",
                             "Timer1 Loaded loading reading",
                         }));
    EXPECT_TRUE(form.ComponentState().Empty());
    for (int i = 0; i < form.ComponentCount(); ++i)
        EXPECT_TRUE(form.Components(i)->ComponentState().Empty()) << form.Components(i)->Name();
}

TEST(DescriptionTest, ErrorsNameTheLine)
{
    std::string deep = "object Form1: TTestForm\n";
    for (int i = 0; i < 200; ++i)
        deep += "object TTestControl\n";
    struct Case {
        std::string Text;
        int Line;
        const char* Message;
    };
    const Case cases[] = {
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n  end\n  object X1: TNoSuchClass\n  end\nend\n", 4,
            "class TNoSuchClass not found" },
        { "object Form1: TTestForm\n  Colour = clRed\nend\n", 2, "property Colour does not exist in TTestForm" },
        { "object Form1: TTestForm\n  Font.Weight = 1\nend\n", 2, "property Weight does not exist in TFont" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Align = taMiddle\n  end\nend\n", 3,
            "taMiddle is not one of taNone, taTop, taClient" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Anchors = [tkLeft, tkCentre]\n  end\nend\n", 3,
            "tkCentre is not one of" },
        { "object Form1: TTestForm\n  Caption = 'abc\nend\n", 2, "unterminated string" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Left = 1\nend\n", 1,
            "'end' missing for object Form1: TTestForm" },
        { "object Form1: TTestForm\n  Caption = 12\nend\n", 2, "a string in quotes expected" },
        { "object Form1: TTestForm\n  Font.Charset = 256\nend\n", 2, "256 is out of range (0 to 255)" },
        { "object Form1: TTestForm\n  Color = clPink\nend\n", 2, "clPink is not a colour name" },
        { "object Form1: TTestForm\n  Font = 1\nend\n", 2, "Font is an object" },
        { "object Form1: TTestForm\n  OnCreate = FormDestroy\nend\n", 2, "method FormDestroy not found in TTestForm" },
        { "object Form1: TTestForm\n  OnCreate = FormMouse\nend\n", 2,
            "method FormMouse is a TEvent<TObject*, int> handler, but OnCreate is a TNotifyEvent" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Picture.Data = resource 'NOPE'\n  end\nend\n", 3,
            "resource 'NOPE' not found" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Picture.Data = {\n      ABC}\n  end\nend\n", 4,
            "odd number of hex digits" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Picture.Data = 12\n  end\nend\n", 3,
            "a byte block in braces or resource 'NAME' expected" },
        { "object Form1: TTestPanel\nend\n", 1, "of class TTestPanel, not TTestForm" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Buddy = Nobody\n  end\nend\n", 3,
            "component Nobody not found" },
        { "object Form1: TTestForm\n  object Panel1: TTestPanel\n    Buddy = Form1\n  end\nend\n", 3,
            "component Form1 is a TTestForm, not a TTestControl" },
        { "object Form1: TTestForm\n  object Panel1: TTestControl\n  end\nend\n", 2,
            "field Panel1 of TTestForm is a TTestPanel, not a TTestControl" },
        { "object Form1: TTestForm\n  object Label1: TTestControl\n  end\n  object label1: TTestControl\n  end\nend\n", 4,
            "a component named label1 already exists" },
        { "object Form1: TTestForm\n  object Label1: TTestControl\n  end\n  Caption = 'late'\nend\n", 4,
            "properties come first" },
        { "object Form1: TTestForm\nend\nobject Form2: TTestForm\nend\n", 3, "text after the end of the root object" },
        { "object Form1: TTestForm\n  Tag = 99999999999999999999\nend\n", 2, "number out of range" },
        { deep, 201, "objects nested more than 200 deep" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TTestForm form(nullptr);
        try {
            ReadRootComponent(&form, c.Text);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Line(), c.Line);
            EXPECT_TRUE(e.Message().starts_with("line " + std::to_string(c.Line) + ": ")) << e.Message();
            EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message();
        }
        // What was created stays owned by the form, out of its loading state.
        EXPECT_FALSE(form.IsLoading());
        for (int i = 0; i < form.ComponentCount(); ++i)
            EXPECT_TRUE(form.Components(i)->ComponentState().Empty());
    }
}
