#include "framework/windowdefinition.h"

#include <map>
#include <strings.h>

#include "framework/brush.h"
#include "framework/customcontrol.h"
#include "framework/definitionparser.h"
#include "framework/font.h"
#include "framework/form.h"
#include "framework/graphiccontrol.h"
#include "framework/graphics.h"
#include "framework/image.h"
#include "framework/pen.h"
#include "framework/timer.h"

namespace {

struct TRegistry {
  std::vector<std::unique_ptr<TClassInfo>> Classes;
  std::map<std::string, std::int64_t> IntegerIdents;
  std::map<std::string, std::string> Definitions;  // by the root's class name
};

void RegisterFrameworkClasses(TRegistry& Registry);

TRegistry& Registry() {
  static TRegistry* registry = [] {
    auto* r = new TRegistry();
    RegisterFrameworkClasses(*r);
    return r;
  }();
  return *registry;
}

template <class T, class Base, typename Fill>
void Add(TRegistry& Registry, const char* Name, Fill&& FillTable) {
  Registry.Classes.push_back(MakeClassInfo<T, Base>(Name, std::forward<Fill>(FillTable)));
}

TFontStyles ToFontStyles(const TDefinitionValue& Value) {
  if (Value.Kind != TDefinitionValue::vkSet) throw EReadError("Invalid property value " + Value.Describe());
  TFontStyles styles;
  for (const std::string& item : Value.Items) {
    if (item == "fsBold") {
      styles.Include(fsBold);
    } else if (item == "fsItalic") {
      styles.Include(fsItalic);
    } else if (item == "fsUnderline") {
      styles.Include(fsUnderline);
    } else if (item == "fsStrikeOut") {
      styles.Include(fsStrikeOut);
    } else {
      throw EReadError("Invalid property value " + item);
    }
  }
  return styles;
}

void RegisterFrameworkClasses(TRegistry& Registry) {
  const std::pair<const char*, TColor> colours[] = {
      {"clBlack", clBlack},
      {"clMaroon", clMaroon},
      {"clGreen", clGreen},
      {"clOlive", clOlive},
      {"clNavy", clNavy},
      {"clPurple", clPurple},
      {"clTeal", clTeal},
      {"clGray", clGray},
      {"clSilver", clSilver},
      {"clRed", clRed},
      {"clLime", clLime},
      {"clYellow", clYellow},
      {"clBlue", clBlue},
      {"clFuchsia", clFuchsia},
      {"clAqua", clAqua},
      {"clWhite", clWhite},
      {"clNone", clNone},
      {"clDefault", clDefault},
      {"clScrollBar", clScrollBar},
      {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption},
      {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},
      {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText},
      {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText},
      {"clActiveBorder", clActiveBorder},
      {"clInactiveBorder", clInactiveBorder},
      {"clAppWorkSpace", clAppWorkSpace},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},
      {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight},
  };
  for (const auto& c : colours) Registry.IntegerIdents[c.first] = c.second;

  Add<TObject, TObject>(Registry, "TObject", [](auto&) {});
  Add<TPersistent, TObject>(Registry, "TPersistent", [](auto&) {});
  Add<TComponent, TPersistent>(Registry, "TComponent", [](auto& P) { P.Property("Tag", &TComponent::SetTag); });
  Add<TControl, TComponent>(Registry, "TControl", [](auto& P) {
    P.Property("Left", &TControl::SetLeft);
    P.Property("Top", &TControl::SetTop);
    P.Property("Width", &TControl::SetWidth);
    P.Property("Height", &TControl::SetHeight);
    P.Property("Visible", &TControl::SetVisible);
    P.Property("Color", &TControl::SetColor);
    P.Property("Cursor", &TControl::SetCursor);
    P.Property("Hint", &TControl::SetHint);
  });
  Add<TWinControl, TControl>(Registry, "TWinControl",
                             [](auto& P) { P.Property("HelpContext", &TWinControl::SetHelpContext); });
  Add<TCustomControl, TWinControl>(Registry, "TCustomControl", [](auto&) {});
  Add<TGraphicControl, TControl>(Registry, "TGraphicControl", [](auto&) {});
  Add<TImage, TGraphicControl>(Registry, "TImage", [](auto& P) { P.Property("Stretch", &TImage::SetStretch); });
  Add<TTimer, TComponent>(Registry, "TTimer", [](auto& P) {
    P.Property("Enabled", &TTimer::SetEnabled);
    P.Property("Interval", &TTimer::SetInterval);
    P.Event("OnTimer", &TTimer::SetOnTimer);
  });
  Add<TForm, TCustomControl>(Registry, "TForm", [](auto& P) {
    P.Enum("BorderStyle", &TForm::SetBorderStyle,
           {{"bsNone", bsNone},
            {"bsSingle", bsSingle},
            {"bsSizeable", bsSizeable},
            {"bsDialog", bsDialog},
            {"bsToolWindow", bsToolWindow},
            {"bsSizeToolWin", bsSizeToolWin}});
    P.Property("Caption", &TForm::SetCaption);
    P.Property("ClientWidth", &TForm::SetClientWidth);
    P.Property("ClientHeight", &TForm::SetClientHeight);
    P.Object("Font", &TForm::Font);
    P.Event("OnActivate", &TForm::SetOnActivate);
    P.Event("OnDestroy", &TForm::SetOnDestroy);
    P.Property("PixelsPerInch", &TForm::SetPixelsPerInch);
    P.Property("TextHeight", &TForm::SetTextHeight);
  });
  Add<TFont, TPersistent>(Registry, "TFont", [](auto& P) {
    P.Property("Color", &TFont::SetColor);
    P.Property("Height", &TFont::SetHeight);
    P.Property("Size", &TFont::SetSize);
    P.Property("Name", &TFont::SetName);
    P.Enum("Pitch", &TFont::SetPitch, {{"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}});
    P.Custom("Style", [](TFont* Font, const TDefinitionValue& Value) { Font->SetStyle(ToFontStyles(Value)); });
  });
  Add<TBrush, TPersistent>(Registry, "TBrush", [](auto& P) {
    P.Property("Color", &TBrush::SetColor);
    P.Enum("Style", &TBrush::SetStyle,
           {{"bsSolid", bsSolid},
            {"bsClear", bsClear},
            {"bsHorizontal", bsHorizontal},
            {"bsVertical", bsVertical},
            {"bsFDiagonal", bsFDiagonal},
            {"bsBDiagonal", bsBDiagonal},
            {"bsCross", bsCross},
            {"bsDiagCross", bsDiagCross}});
  });
  Add<TPen, TPersistent>(Registry, "TPen", [](auto& P) {
    P.Property("Color", &TPen::SetColor);
    P.Property("Width", &TPen::SetWidth);
    P.Enum("Style", &TPen::SetStyle,
           {{"psSolid", psSolid},
            {"psDash", psDash},
            {"psDot", psDot},
            {"psDashDot", psDashDot},
            {"psDashDotDot", psDashDotDot},
            {"psClear", psClear}});
  });
}

template <typename Entry>
const Entry* FindIn(const std::vector<std::pair<std::string, Entry>>& Entries, const std::string& Name) {
  for (const auto& e : Entries) {
    if (strcasecmp(e.first.c_str(), Name.c_str()) == 0) return &e.second;
  }
  return nullptr;
}

// One application of a definition to a root: what was made, for Loaded at the end.
class TApplier {
 public:
  explicit TApplier(TComponent* ARoot) : FRoot(ARoot) {}

  void Apply(const TDefinitionObject& Definition) {
    const TClassInfo* rootInfo = ClassInfoOf(FRoot);
    if (strcasecmp(Definition.ClassName.c_str(), FRoot->ClassName()) != 0 &&
        (rootInfo == nullptr || strcasecmp(Definition.ClassName.c_str(), rootInfo->Name.c_str()) != 0)) {
      throw EReadError("The window definition of " + Definition.ClassName + " does not fit a " + FRoot->ClassName());
    }
    FRoot->SetLoading(true);
    FLoaded.push_back(FRoot);
    try {
      FRoot->SetName(UniqueRootName(Definition.Name));
      ApplyItems(FRoot, Definition, dynamic_cast<TWinControl*>(FRoot));
    } catch (...) {
      for (TComponent* component : FLoaded) component->SetLoading(false);
      throw;
    }
    for (TComponent* component : FLoaded) component->SetLoading(false);
    for (TComponent* component : FLoaded) component->Loaded();
  }

 private:
  // A second window of one class gets the stored name with "_1", "_2"... among its owner's.
  std::string UniqueRootName(const std::string& Name) const {
    TComponent* owner = FRoot->Owner();
    auto taken = [&](const std::string& Candidate) {
      TComponent* other = owner != nullptr ? owner->FindComponent(Candidate) : nullptr;
      return other != nullptr && other != FRoot;
    };
    if (!taken(Name)) return Name;
    for (int n = 1;; ++n) {
      const std::string candidate = Name + "_" + std::to_string(n);
      if (!taken(candidate)) return candidate;
    }
  }

  void ApplyItems(TComponent* Instance, const TDefinitionObject& Definition, TWinControl* Parent) {
    for (const TDefinitionItem& item : Definition.Items) {
      if (item.Object) {
        CreateComponent(*item.Object, Parent);
      } else {
        ApplyEntry(Instance, Definition.Name, item);
      }
    }
  }

  void CreateComponent(const TDefinitionObject& Definition, TWinControl* Parent) {
    const TClassInfo* info = FindClassInfo(Definition.ClassName);
    if (info == nullptr) throw EReadError("Class " + Definition.ClassName + " not found");
    if (info->Create == nullptr) throw EReadError("Class " + Definition.ClassName + " cannot be created");
    // Owned by the root from here on: a failure later releases it with the root.
    TComponent* component = info->Create(FRoot);
    component->SetLoading(true);
    FLoaded.push_back(component);
    component->SetName(Definition.Name);
    if (auto* control = dynamic_cast<TControl*>(component); control != nullptr && Parent != nullptr) {
      control->SetParent(Parent);
    }
    if (const TClassInfo* rootInfo = ClassInfoOf(FRoot)) {
      if (const auto* field = rootInfo->FindField(Definition.Name)) (*field)(FRoot, component);
    }
    auto* windowed = dynamic_cast<TWinControl*>(component);
    ApplyItems(component, Definition, windowed != nullptr ? windowed : Parent);
  }

  void ApplyEntry(TComponent* Component, const std::string& ObjectName, const TDefinitionItem& Item) {
    try {
      TObject* instance = Component;
      std::string name = Item.Name;
      // "Font.Color": every part but the last names an object property.
      for (std::size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.')) {
        const std::string part = name.substr(0, dot);
        const TClassInfo* info = ClassInfoOf(instance);
        const TClassInfo::TReader* reader = info != nullptr ? info->FindObject(part) : nullptr;
        if (reader == nullptr) throw EReadError("Property " + part + " does not exist");
        instance = (*reader)(instance);
        if (instance == nullptr) throw EReadError("Property " + part + " is not set");
        name = name.substr(dot + 1);
      }
      const TClassInfo* info = ClassInfoOf(instance);
      if (info == nullptr) throw EReadError("Property " + name + " does not exist");
      if (const auto* event = info->FindEvent(name)) {
        if (Item.Value.Kind != TDefinitionValue::vkIdent) {
          throw EReadError("Invalid property value " + Item.Value.Describe());
        }
        const TClassInfo* rootInfo = ClassInfoOf(FRoot);
        const TClassInfo::THandler* handler = rootInfo != nullptr ? rootInfo->FindHandler(Item.Value.Text) : nullptr;
        if (handler == nullptr) throw EReadError("Method " + Item.Value.Text + " not found");
        (*event)(instance, handler->EventType, handler->Code, handler->Data(FRoot));
        return;
      }
      if (const auto* writer = info->FindProperty(name)) {
        (*writer)(instance, Item.Value);
        return;
      }
      throw EReadError("Property " + name + " does not exist");
    } catch (const EReadError& e) {
      throw EReadError("Error reading " + ObjectName + "." + Item.Name + " (line " + std::to_string(Item.Line) +
                       "): " + e.Message());
    }
  }

  TComponent* FRoot;
  std::vector<TComponent*> FLoaded;  // not owned: the root and the components made, in order
};

}  // namespace

std::string TDefinitionValue::Describe() const {
  switch (Kind) {
    case vkInteger:
      return std::to_string(Integer);
    case vkString:
      return "'" + Text + "'";
    case vkIdent:
      return Text;
    case vkSet: {
      std::string text = "[";
      for (std::size_t i = 0; i < Items.size(); ++i) text += (i > 0 ? ", " : "") + Items[i];
      return text + "]";
    }
  }
  return {};
}

namespace definition {

std::int64_t ToInteger(const TDefinitionValue& Value) {
  if (Value.Kind == TDefinitionValue::vkInteger) return Value.Integer;
  if (Value.Kind == TDefinitionValue::vkIdent) {
    auto& idents = Registry().IntegerIdents;
    auto it = idents.find(Value.Text);
    if (it != idents.end()) return it->second;
  }
  throw EReadError("Invalid property value " + Value.Describe());
}

bool ToBoolean(const TDefinitionValue& Value) {
  if (Value.Kind == TDefinitionValue::vkIdent) {
    if (strcasecmp(Value.Text.c_str(), "True") == 0) return true;
    if (strcasecmp(Value.Text.c_str(), "False") == 0) return false;
  }
  throw EReadError("Invalid property value " + Value.Describe());
}

std::string ToString(const TDefinitionValue& Value) {
  if (Value.Kind == TDefinitionValue::vkString) return Value.Text;
  throw EReadError("Invalid property value " + Value.Describe());
}

int ToEnum(const TDefinitionValue& Value, std::initializer_list<std::pair<const char*, int>> Names) {
  if (Value.Kind == TDefinitionValue::vkIdent) {
    for (const auto& n : Names) {
      if (Value.Text == n.first) return n.second;
    }
  }
  throw EReadError("Invalid property value " + Value.Describe());
}

}  // namespace definition

void RegisterIntegerIdent(const std::string& Ident, std::int64_t Value) { Registry().IntegerIdents[Ident] = Value; }

const TClassInfo* TClassInfo::Base() const { return BaseType != nullptr ? FindClassInfo(std::type_index(*BaseType)) : nullptr; }

int TClassInfo::Depth() const {
  int depth = 0;
  for (const TClassInfo* info = Base(); info != nullptr; info = info->Base()) ++depth;
  return depth;
}

const TClassInfo::TWriter* TClassInfo::FindProperty(const std::string& PropName) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->Base()) {
    if (const auto* found = FindIn(info->Properties, PropName)) return found;
  }
  return nullptr;
}

const TClassInfo::TReader* TClassInfo::FindObject(const std::string& PropName) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->Base()) {
    if (const auto* found = FindIn(info->Objects, PropName)) return found;
  }
  return nullptr;
}

const TClassInfo::TEventWriter* TClassInfo::FindEvent(const std::string& PropName) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->Base()) {
    if (const auto* found = FindIn(info->Events, PropName)) return found;
  }
  return nullptr;
}

const TClassInfo::THandler* TClassInfo::FindHandler(const std::string& MethodName) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->Base()) {
    if (const auto* found = FindIn(info->Handlers, MethodName)) return found;
  }
  return nullptr;
}

const TClassInfo::TFieldWriter* TClassInfo::FindField(const std::string& FieldName) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->Base()) {
    if (const auto* found = FindIn(info->Fields, FieldName)) return found;
  }
  return nullptr;
}

void RegisterClassInfo(std::unique_ptr<TClassInfo> Info) {
  auto& classes = Registry().Classes;
  for (auto& existing : classes) {
    if (existing->Type == Info->Type) {
      existing = std::move(Info);  // registered again: the newer table wins
      return;
    }
  }
  classes.push_back(std::move(Info));
}

const TClassInfo* FindClassInfo(const std::string& ClassName) {
  for (const auto& info : Registry().Classes) {
    if (strcasecmp(info->Name.c_str(), ClassName.c_str()) == 0) return info.get();
  }
  return nullptr;
}

const TClassInfo* FindClassInfo(std::type_index Type) {
  for (const auto& info : Registry().Classes) {
    if (info->Type == Type) return info.get();
  }
  return nullptr;
}

const TClassInfo* ClassInfoOf(const TObject* Instance) {
  if (Instance == nullptr) return nullptr;
  if (const TClassInfo* exact = FindClassInfo(std::type_index(typeid(*Instance)))) return exact;
  const TClassInfo* best = nullptr;
  int bestDepth = -1;
  for (const auto& info : Registry().Classes) {
    if (!info->IsInstance(Instance)) continue;
    const int depth = info->Depth();
    if (depth > bestDepth) {
      best = info.get();
      bestDepth = depth;
    }
  }
  return best;
}

bool RegisterWindowDefinition(std::string_view Text) {
  auto root = TDefinitionParser(Text).Parse();
  Registry().Definitions[root->ClassName] = std::string(Text);
  return true;
}

bool HasWindowDefinition(const std::string& ClassName) {
  return Registry().Definitions.count(ClassName) != 0;
}

void ReadWindowDefinition(TComponent* Root, std::string_view Text) {
  auto definition = TDefinitionParser(Text).Parse();
  TApplier(Root).Apply(*definition);
}

void ApplyWindowDefinition(TComponent* Root) {
  auto& definitions = Registry().Definitions;
  auto it = definitions.find(Root->ClassName());
  if (it == definitions.end()) return;
  const std::string text = it->second;
  ReadWindowDefinition(Root, text);
}
