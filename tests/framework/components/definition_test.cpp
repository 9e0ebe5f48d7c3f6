// Window definitions: entries applied in stored order through the setters, components made by
// class name with the window as owner and parent, published fields and handlers bound by name,
// faults named with their entry, and the adaptation to the screen's resolution and text height.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/font.h"
#include "framework/form.h"
#include "framework/image.h"
#include "framework/screen.h"
#include "framework/timer.h"
#include "framework/windowdefinition.h"

namespace {

std::vector<std::string> Log;

enum TProbeKind { pkPlain, pkFancy };
using TStampEvent = TMethod<std::string&>;

// A component whose setters write down what they were given, in order.
class TProbe : public TComponent {
 public:
  explicit TProbe(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont()) { Log.push_back("constructed"); }
  ~TProbe() override { delete FFont; }
  const char* ClassName() const override { return "TProbe"; }

  void SetNumber(int Value) { Log.push_back("Number=" + std::to_string(Value)); }
  void SetBig(std::uint32_t Value) { Log.push_back("Big=" + std::to_string(Value)); }
  void SetText(const std::string& Value) { Log.push_back("Text=" + Value); }
  void SetFlag(bool Value) { Log.push_back(std::string("Flag=") + (Value ? "true" : "false")); }
  void SetKind(TProbeKind Value) { Log.push_back("Kind=" + std::to_string(Value)); }
  void SetColour(TColor Value) { Log.push_back("Colour=" + std::to_string(Value)); }
  TFont* Font() const { return FFont; }
  void SetOnStamp(TStampEvent Value) {
    OnStamp = Value;
    Log.push_back("OnStamp");
  }
  void SetOnPing(TNotifyEvent Value) {
    OnPing = Value;
    Log.push_back("OnPing");
  }
  void Loaded() override { Log.push_back("Loaded " + Name()); }

  TStampEvent OnStamp;
  TNotifyEvent OnPing;

 private:
  TFont* FFont;
};

class TProbeForm : public TForm {
 public:
  explicit TProbeForm(TComponent* AOwner) : TForm(AOwner) {}
  const char* ClassName() const override { return "TProbeForm"; }

  TProbe* Probe1 = nullptr;
  TImage* Image1 = nullptr;
  TImage* Unbound = nullptr;

  void FormActivate(TObject* Sender) { Log.push_back(std::string("FormActivate ") + (Sender == this ? "self" : "?")); }
  void Probe1Stamp(std::string& AValue) { AValue = "stamped by " + Name(); }
  void Probe1Ping(TObject* /*Sender*/) { Log.push_back("ping"); }
};

const TRegisterClass<TProbe, TComponent> RegisterProbe("TProbe", [](auto& P) {
  P.Property("Number", &TProbe::SetNumber);
  P.Property("Big", &TProbe::SetBig);
  P.Property("Text", &TProbe::SetText);
  P.Property("Flag", &TProbe::SetFlag);
  P.Property("Colour", &TProbe::SetColour);
  P.Enum("Kind", &TProbe::SetKind, {{"pkPlain", pkPlain}, {"pkFancy", pkFancy}});
  P.Object("Font", &TProbe::Font);
  P.Event("OnStamp", &TProbe::SetOnStamp);
  P.Event("OnPing", &TProbe::SetOnPing);
});

const TRegisterClass<TProbeForm, TForm> RegisterProbeForm("TProbeForm", [](auto& P) {
  P.Field("Probe1", &TProbeForm::Probe1);
  P.Field("Image1", &TProbeForm::Image1);
  P.template Method<&TProbeForm::FormActivate>("FormActivate");
  P.template Method<&TProbeForm::Probe1Stamp>("Probe1Stamp");
  P.template Method<&TProbeForm::Probe1Ping>("Probe1Ping");
});

class DefinitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log.clear();
    Screen->SetPixelsPerInch(96);
    SavedMeasure = TForm::TextHeightMeasure();
    TForm::TextHeightMeasure() = [](TFont*) { return 13; };
    Form = new TProbeForm(nullptr);
  }
  void TearDown() override {
    delete Form;
    TForm::TextHeightMeasure() = SavedMeasure;
    Screen->SetPixelsPerInch(0);
  }

  TProbeForm* Form = nullptr;
  TForm::TTextHeightMeasure SavedMeasure;
};

const char* const kDefinition = R"(
object Form1: TProbeForm
  Left = 191
  Top = 101
  BorderStyle = bsNone
  Caption = 'Form1'
  ClientHeight = 300
  ClientWidth = 400
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OnActivate = FormActivate
  object Image1: TImage
    Left = 24
    Top = 360
    Width = 8
    Height = 8
  end
  object Probe1: TProbe
    Number = -42
    Big = $FFFFFEB3
    Text = 'it''s'#13'two lines'
    Flag = True
    Kind = pkFancy
    Colour = clYellow
    Font.Style = [fsBold, fsItalic]
    Font.Height = -13
    OnStamp = Probe1Stamp
    OnPing = Probe1Ping
    Number = 7 // a later entry wins
  end
  object Spare: TImage
    Stretch = True
  end
end
)";

TEST_F(DefinitionTest, EntriesApplyInStoredOrderAfterConstruction) {
  ReadWindowDefinition(Form, kDefinition);
  EXPECT_EQ(Log, (std::vector<std::string>{"constructed", "Number=-42", "Big=4294966963", "Text=it's\rtwo lines",
                                           "Flag=true", "Kind=1", "Colour=" + std::to_string(clYellow), "OnStamp",
                                           "OnPing", "Number=7", "Loaded Probe1"}));
  ASSERT_NE(Form->Probe1, nullptr);
  EXPECT_EQ(Form->Probe1->Font()->Height(), -13);
  EXPECT_TRUE(Form->Probe1->Font()->Style().Contains(fsBold));
  EXPECT_TRUE(Form->Probe1->Font()->Style().Contains(fsItalic));
  EXPECT_FALSE(Form->Probe1->Font()->Style().Contains(fsUnderline));
}

TEST_F(DefinitionTest, TheWindowTakesItsOwnEntries) {
  ReadWindowDefinition(Form, kDefinition);
  EXPECT_EQ(Form->Name(), "Form1");
  EXPECT_EQ(Form->Left(), 191);
  EXPECT_EQ(Form->Top(), 101);
  EXPECT_EQ(Form->BorderStyle(), bsNone);
  EXPECT_EQ(Form->Caption(), "Form1");
  EXPECT_EQ(Form->ClientWidth(), 400);
  EXPECT_EQ(Form->ClientHeight(), 300);
  EXPECT_EQ(Form->Width(), 400);  // no frame: the window is all client area
  EXPECT_EQ(Form->Height(), 300);
  EXPECT_EQ(Form->Font()->Height(), -11);
  EXPECT_EQ(Form->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(Form->Font()->Color(), clWindowText);
  EXPECT_EQ(Form->Color(), clBtnFace);  // not in the definition: the default stays
}

TEST_F(DefinitionTest, ComponentsAreOwnedAndParentedByTheWindowAndStoredInItsFields) {
  ReadWindowDefinition(Form, kDefinition);
  ASSERT_EQ(Form->ComponentCount(), 3);
  EXPECT_EQ(Form->Components(0), Form->Image1);
  EXPECT_EQ(Form->Components(1), Form->Probe1);
  EXPECT_EQ(Form->Components(2)->Name(), "Spare");
  EXPECT_EQ(Form->Unbound, nullptr);
  ASSERT_NE(Form->Image1, nullptr);
  EXPECT_EQ(Form->Image1->Parent(), Form);
  EXPECT_EQ(Form->Image1->BoundsRect().left, 24);
  EXPECT_EQ(Form->Image1->Top(), 360);
  EXPECT_EQ(Form->Image1->Width(), 8);
  EXPECT_EQ(Form->Image1->Height(), 8);
  EXPECT_FALSE(Form->Image1->Stretch());
  EXPECT_TRUE(static_cast<TImage*>(Form->FindComponent("Spare"))->Stretch());
  EXPECT_EQ(Form->ControlCount(), 2);
}

TEST_F(DefinitionTest, HandlersAreBoundByNameToTheWindow) {
  ReadWindowDefinition(Form, kDefinition);
  ASSERT_TRUE(Form->OnActivate().Assigned());
  Form->OnActivate()(Form);
  ASSERT_TRUE(Form->Probe1->OnStamp.Assigned());
  std::string stamp;
  Form->Probe1->OnStamp(stamp);
  EXPECT_EQ(stamp, "stamped by Form1");
  Form->Probe1->OnPing(nullptr);
  EXPECT_EQ(Log.back(), "ping");
  EXPECT_EQ(Log[Log.size() - 2], "FormActivate self");
  EXPECT_FALSE(Form->OnDestroy().Assigned());
}

TEST_F(DefinitionTest, AStoredDefinitionIsFoundByTheClassName) {
  EXPECT_FALSE(HasWindowDefinition("TProbeForm"));
  ApplyWindowDefinition(Form);  // none stored: nothing happens
  EXPECT_EQ(Form->ComponentCount(), 0);
  EXPECT_TRUE(RegisterWindowDefinition(kDefinition));
  EXPECT_TRUE(HasWindowDefinition("TProbeForm"));
  ApplyWindowDefinition(Form);
  EXPECT_EQ(Form->ComponentCount(), 3);
}

struct FaultRow {
  const char* Name;
  const char* Text;
  const char* Message;
};

class DefinitionFaultTest : public DefinitionTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(DefinitionFaultTest, RaisesEReadErrorNamingTheFault) {
  try {
    ReadWindowDefinition(Form, GetParam().Text);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), GetParam().Message);
  }
  // Whatever was made before the fault belongs to the window and goes with it.
  for (int i = 0; i < Form->ComponentCount(); ++i) EXPECT_FALSE(Form->Components(i)->IsLoading());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DefinitionFaultTest,
    ::testing::Values(
        FaultRow{"UnknownProperty", "object F: TProbeForm\n  Colour = 1\nend",
                 "Error reading F.Colour (line 2): Property Colour does not exist"},
        FaultRow{"UnknownSubProperty", "object F: TProbeForm\n  Brush.Color = clRed\nend",
                 "Error reading F.Brush.Color (line 2): Property Brush does not exist"},
        FaultRow{"UnknownClass", "object F: TProbeForm\n  object V: TNoSuchThing\n  end\nend",
                 "Class TNoSuchThing not found"},
        FaultRow{"UnknownHandler", "object F: TProbeForm\n  OnActivate = FormGone\nend",
                 "Error reading F.OnActivate (line 2): Method FormGone not found"},
        FaultRow{"HandlerOfAnotherSignature", "object F: TProbeForm\n  OnActivate = Probe1Stamp\nend",
                 "Error reading F.OnActivate (line 2): Handler does not fit OnActivate"},
        FaultRow{"StringForAnInteger", "object F: TProbeForm\n  Left = '12'\nend",
                 "Error reading F.Left (line 2): Invalid property value '12'"},
        FaultRow{"UnknownEnumeration", "object F: TProbeForm\n  BorderStyle = bsRound\nend",
                 "Error reading F.BorderStyle (line 2): Invalid property value bsRound"},
        FaultRow{"UnknownSetElement", "object F: TProbeForm\n  Font.Style = [fsBlinking]\nend",
                 "Error reading F.Font.Style (line 2): Invalid property value fsBlinking"},
        FaultRow{"BooleanOtherThanTrueOrFalse", "object F: TProbeForm\n  Visible = Yes\nend",
                 "Error reading F.Visible (line 2): Invalid property value Yes"},
        FaultRow{"AnotherClassesDefinition", "object F: TForm1\nend",
                 "The window definition of TForm1 does not fit a TProbeForm"},
        FaultRow{"MissingEnd", "object F: TProbeForm\n  Left = 1\n", "Window definition, line 3: 'end' expected for object F"},
        FaultRow{"MissingEquals", "object F: TProbeForm\n  Left 1\nend", "Window definition, line 2: '=' expected"},
        FaultRow{"BadNumber", "object F: TProbeForm\n  Left = 12x\nend", "Window definition, line 2: invalid number"},
        FaultRow{"UnterminatedString", "object F: TProbeForm\n  Caption = 'open\nend",
                 "Window definition, line 2: unterminated string"},
        FaultRow{"TextAfterTheEnd", "object F: TProbeForm\nend\nend", "Window definition, line 3: text after the final 'end'"},
        FaultRow{"Empty", "", "Window definition, line 1: 'object' expected"},
        FaultRow{"NumberTooLarge", "object F: TProbeForm\n  Left = 99999999999999999999\nend",
                 "Window definition, line 2: number too large"}),
    [](const ::testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.Name); });

// The definition of the viewer's window in the form this test needs: the adaptation acts on
// the window font and then on every component's edges and the client size.
const char* const kScaled = R"(
object Form1: TProbeForm
  ClientHeight = 300
  ClientWidth = 400
  Font.Height = -11
  PixelsPerInch = 96
  TextHeight = 13
  object Image1: TImage
    Left = 24
    Top = 360
    Width = 8
    Height = 8
  end
end
)";

struct ScaleRow {
  const char* Name;
  int ScreenPixelsPerInch;
  int FontHeight;    // the window font's height after the resolution step
  int Measured;      // the text height measured with that font
  RECT Image;        // Image1's edges afterwards
  int ClientWidth;
  int ClientHeight;
};

class DefinitionScaleTest : public DefinitionTest, public ::testing::WithParamInterface<ScaleRow> {};

TEST_P(DefinitionScaleTest, ScalesTheFontThenEdgesAndClientSize) {
  const ScaleRow& row = GetParam();
  Screen->SetPixelsPerInch(row.ScreenPixelsPerInch);
  std::vector<int> measuredHeights;
  TForm::TextHeightMeasure() = [&](TFont* Font) {
    measuredHeights.push_back(Font->Height());
    return row.Measured;
  };
  ReadWindowDefinition(Form, kScaled);
  EXPECT_EQ(measuredHeights, (std::vector<int>{row.FontHeight}));
  EXPECT_EQ(Form->Font()->Height(), row.FontHeight);
  const RECT r = Form->Image1->BoundsRect();
  EXPECT_EQ(r.left, row.Image.left);
  EXPECT_EQ(r.top, row.Image.top);
  EXPECT_EQ(r.right, row.Image.right);
  EXPECT_EQ(r.bottom, row.Image.bottom);
  EXPECT_EQ(Form->ClientWidth(), row.ClientWidth);
  EXPECT_EQ(Form->ClientHeight(), row.ClientHeight);
  EXPECT_EQ(Form->TextHeight(), row.Measured);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DefinitionScaleTest,
    ::testing::Values(
        // The substitute font measures 13 at -11: nothing scales.
        ScaleRow{"Unscaled", 96, -11, 13, RECT{24, 360, 32, 368}, 400, 300},
        // Text 16 high: every edge times 16/13, rounded (24 -> 29.5 -> 30, 368 -> 452.9 -> 453).
        ScaleRow{"LargerText", 96, -11, 16, RECT{30, 443, 39, 453}, 492, 369},
        ScaleRow{"SmallerText", 96, -11, 12, RECT{22, 332, 30, 340}, 369, 277},
        // 120 pixels per inch: the font first (-11 * 120 / 96 = -13.75 -> -14), measured with it.
        ScaleRow{"HigherResolution", 120, -14, 13, RECT{24, 360, 32, 368}, 400, 300},
        ScaleRow{"HigherResolutionLargerText", 120, -14, 16, RECT{30, 443, 39, 453}, 492, 369}),
    [](const ::testing::TestParamInfo<ScaleRow>& info) { return std::string(info.param.Name); });

TEST_F(DefinitionTest, WithoutResolutionAndTextHeightNothingIsMeasured) {
  int measured = 0;
  TForm::TextHeightMeasure() = [&](TFont*) { return ++measured, 20; };
  ReadWindowDefinition(Form, "object F: TProbeForm\n  ClientWidth = 400\nend");
  EXPECT_EQ(measured, 0);
  EXPECT_EQ(Form->ClientWidth(), 400);
}

TEST_F(DefinitionTest, TheFrameworksOwnClassesAreRegistered) {
  for (const char* name : {"TComponent", "TControl", "TWinControl", "TCustomControl", "TGraphicControl", "TImage",
                           "TTimer", "TForm", "TFont", "TBrush", "TPen"}) {
    EXPECT_NE(FindClassInfo(name), nullptr) << name;
  }
  EXPECT_EQ(ClassInfoOf(Form)->Name, "TProbeForm");
  TTimer timer(nullptr);
  EXPECT_EQ(ClassInfoOf(&timer)->Name, "TTimer");
  // A class that registered nothing is read with its nearest registered base's table.
  class TLocalForm : public TForm {
   public:
    using TForm::TForm;
  } local(nullptr);
  EXPECT_EQ(ClassInfoOf(&local)->Name, "TForm");
}

}  // namespace
