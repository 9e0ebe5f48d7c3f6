#pragma once
// Window definitions: the stored layout of a window and its components, applied through the
// classes' own setters in stored order. The text format:
//
//   object Form1: TForm1
//     Left = 191
//     BorderStyle = bsNone
//     Caption = 'Form1'
//     Font.Color = clWindowText
//     Font.Style = []
//     OnActivate = FormActivate
//     object Video1: TVideo
//       Left = 40
//       Font.Style = [fsBold]
//       OnVideoFrame = Video1VideoFrame
//     end
//   end
//
// Values: integers (optional sign), 'strings' ('' stands for a quote), identifiers (True and
// False, enumeration and colour names, handler names) and sets [a, b]. A "//" starts a comment.
// Entries apply in the order given; a component is constructed (class looked up by name, the
// root as its owner, the enclosing windowed control as its parent), named, stored into the
// root's published field of that name, and then takes its own entries. An entry "A.B" sets B
// on the object that A reads. Handlers are bound by name to the root's published methods.
//
// What each class publishes is a small table per class, registered by name:
//
//   static const TRegisterClass<TVideo, TCustomControl> RegisterVideo("TVideo", [](auto& P) {
//     P.Property("Fps", &TVideo::SetFps);
//     P.Object("Font", &TVideo::Font);
//     P.Event("OnVideoFrame", &TVideo::SetOnVideoFrame);
//   });
//   static const TRegisterClass<TForm1, TForm> RegisterForm1("TForm1", [](auto& P) {
//     P.Field("Video1", &TForm1::Video1);
//     P.template Method<&TForm1::FormActivate>("FormActivate");
//   });
//   static const bool Form1Stored = RegisterWindowDefinition(kForm1Definition);
//
// A class's table extends its base's; the most derived registered class of an object decides.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

#include "framework/component.h"
#include "framework/method.h"
#include "runtime/exception.h"

// A definition that cannot be read or applied; the message names the entry.
class EReadError : public Exception {
 public:
  using Exception::Exception;
};

struct TDefinitionValue {
  enum TKind { vkInteger, vkString, vkIdent, vkSet };
  TKind Kind = vkInteger;
  std::int64_t Integer = 0;         // vkInteger
  std::string Text;                 // vkString, vkIdent
  std::vector<std::string> Items;   // vkSet
  std::string Describe() const;     // the value as written, for messages
};

// Conversions a property writer uses; each raises EReadError for a value of the wrong kind.
namespace definition {
std::int64_t ToInteger(const TDefinitionValue& Value);  // an integer or an integer identifier
bool ToBoolean(const TDefinitionValue& Value);          // True or False
std::string ToString(const TDefinitionValue& Value);    // a string
// An identifier from `Names`.
int ToEnum(const TDefinitionValue& Value, std::initializer_list<std::pair<const char*, int>> Names);
}  // namespace definition

// Integer identifiers a definition may use for integer values (colour names are registered).
void RegisterIntegerIdent(const std::string& Ident, std::int64_t Value);

// The published table of one class.
class TClassInfo {
 public:
  using TWriter = std::function<void(TObject* Instance, const TDefinitionValue& Value)>;
  using TReader = std::function<TObject*(TObject* Instance)>;
  // Binds a handler: the event's type, then the code to store with the root as data.
  using TCode = void (*)();  // a TMethod<...>::CodeType, cast back by the event's writer
  using TEventWriter = std::function<void(TObject* Instance, std::type_index EventType, TCode Code, void* Data)>;
  struct THandler {
    std::type_index EventType;
    TCode Code;
    void* (*Data)(TObject* Root);       // the root as the object the method runs on
  };
  using TFieldWriter = std::function<void(TObject* Root, TComponent* Component)>;

  std::string Name;
  std::type_index Type;
  const std::type_info* BaseType = nullptr;   // the registered base class, null for the root
  bool (*IsInstance)(const TObject*) = nullptr;
  TComponent* (*Create)(TComponent* Owner) = nullptr;  // null for abstract or non-component classes

  // Looked up in this class, then its bases.
  const TWriter* FindProperty(const std::string& PropName) const;
  const TReader* FindObject(const std::string& PropName) const;
  const TEventWriter* FindEvent(const std::string& PropName) const;
  const THandler* FindHandler(const std::string& MethodName) const;
  const TFieldWriter* FindField(const std::string& FieldName) const;
  const TClassInfo* Base() const;
  int Depth() const;

  std::vector<std::pair<std::string, TWriter>> Properties;
  std::vector<std::pair<std::string, TReader>> Objects;
  std::vector<std::pair<std::string, TEventWriter>> Events;
  std::vector<std::pair<std::string, THandler>> Handlers;
  std::vector<std::pair<std::string, TFieldWriter>> Fields;

  explicit TClassInfo(std::type_index AType) : Type(AType) {}
};

// Adds a class's table to the registry; the registry starts with the framework's own classes.
void RegisterClassInfo(std::unique_ptr<TClassInfo> Info);
const TClassInfo* FindClassInfo(const std::string& ClassName);
const TClassInfo* FindClassInfo(std::type_index Type);
// The most derived registered class that Instance belongs to (TObject's at least).
const TClassInfo* ClassInfoOf(const TObject* Instance);

namespace definition {
template <typename T>
struct SetterArg;
template <class C, typename A>
struct SetterArg<void (C::*)(A)> {
  using Type = std::remove_cvref_t<A>;
};
template <typename M>
struct MethodTraits;
template <class C, typename... A>
struct MethodTraits<void (C::*)(A...)> {
  using Event = TMethod<A...>;
};

template <typename V>
V Convert(const TDefinitionValue& Value) {
  if constexpr (std::is_same_v<V, bool>) {
    return ToBoolean(Value);
  } else if constexpr (std::is_integral_v<V>) {
    return static_cast<V>(ToInteger(Value));
  } else if constexpr (std::is_same_v<V, std::string>) {
    return ToString(Value);
  } else {
    static_assert(sizeof(V) == 0, "use Enum or Custom for this property type");
  }
}
}  // namespace definition

// The table being filled for class T; see the example at the top.
template <class T>
class TPublished {
 public:
  explicit TPublished(TClassInfo& AInfo) : FInfo(AInfo) {}

  // A property written through `Setter`: bool, any integer type (integer identifiers such as
  // colour names included) or std::string.
  template <class C, typename A>
  void Property(const std::string& Name, void (C::*Setter)(A)) {
    using V = std::remove_cvref_t<A>;
    FInfo.Properties.emplace_back(Name, [Setter](TObject* Instance, const TDefinitionValue& Value) {
      (static_cast<T*>(Instance)->*Setter)(definition::Convert<V>(Value));
    });
  }
  // An enumeration written by identifier.
  template <class C, typename E>
  void Enum(const std::string& Name, void (C::*Setter)(E), std::initializer_list<std::pair<const char*, E>> Names) {
    std::vector<std::pair<std::string, E>> names;
    for (const auto& n : Names) names.emplace_back(n.first, n.second);
    FInfo.Properties.emplace_back(Name, [Setter, names](TObject* Instance, const TDefinitionValue& Value) {
      for (const auto& n : names) {
        if (Value.Kind == TDefinitionValue::vkIdent && n.first == Value.Text) {
          (static_cast<T*>(Instance)->*Setter)(n.second);
          return;
        }
      }
      throw EReadError("Invalid property value " + Value.Describe());
    });
  }
  // Any other property: `Write` gets the object and the value.
  void Custom(const std::string& Name, std::function<void(T* Instance, const TDefinitionValue& Value)> Write) {
    FInfo.Properties.emplace_back(Name, [Write](TObject* Instance, const TDefinitionValue& Value) {
      Write(static_cast<T*>(Instance), Value);
    });
  }
  // An object-valued property whose own entries ("Font.Color") act on the object it reads.
  template <class C, typename R>
  void Object(const std::string& Name, R* (C::*Getter)() const) {
    FInfo.Objects.emplace_back(Name, [Getter](TObject* Instance) -> TObject* {
      return (static_cast<T*>(Instance)->*Getter)();
    });
  }
  // An event bound by handler name.
  template <class C, typename... A>
  void Event(const std::string& Name, void (C::*Setter)(TMethod<A...>)) {
    FInfo.Events.emplace_back(
        Name, [Setter, Name](TObject* Instance, std::type_index EventType, TClassInfo::TCode Code, void* Data) {
          using E = TMethod<A...>;
          if (EventType != std::type_index(typeid(E))) throw EReadError("Handler does not fit " + Name);
          E method;
          method.Code = reinterpret_cast<typename E::CodeType>(Code);
          method.Data = Data;
          (static_cast<T*>(Instance)->*Setter)(method);
        });
  }
  // A published handler of a root class.
  template <auto M>
  void Method(const std::string& Name) {
    using E = typename definition::MethodTraits<decltype(M)>::Event;
    E method = E::template Of<M>(static_cast<T*>(nullptr));
    FInfo.Handlers.emplace_back(
        Name, TClassInfo::THandler{std::type_index(typeid(E)), reinterpret_cast<TClassInfo::TCode>(method.Code),
                                   [](TObject* Root) -> void* { return dynamic_cast<T*>(Root); }});
  }
  // A published field of a root class, set to the component of the same name.
  template <class C, typename F>
  void Field(const std::string& Name, F* C::*Member) {
    FInfo.Fields.emplace_back(Name, [Member, Name](TObject* Root, TComponent* Component) {
      F* typed = dynamic_cast<F*>(Component);
      if (typed == nullptr) throw EReadError("Field " + Name + " does not fit a " + Component->ClassName());
      static_cast<T*>(Root)->*Member = typed;
    });
  }

 private:
  TClassInfo& FInfo;
};

// The class information of T (derived from Base; a root class names itself as Base), with the
// published table that FillTable writes. Component classes with a public T(TComponent*)
// constructor can be created by a definition.
template <class T, class Base, typename Fill>
std::unique_ptr<TClassInfo> MakeClassInfo(const char* Name, Fill&& FillTable) {
  auto info = std::make_unique<TClassInfo>(std::type_index(typeid(T)));
  info->Name = Name;
  info->BaseType = std::is_same_v<T, Base> ? nullptr : &typeid(Base);
  info->IsInstance = [](const TObject* Object) { return dynamic_cast<const T*>(Object) != nullptr; };
  if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*> &&
                !std::is_abstract_v<T>) {
    info->Create = [](TComponent* Owner) -> TComponent* { return new T(Owner); };
  }
  TPublished<T> table(*info);
  FillTable(table);
  return info;
}

// Registers T (derived from Base, which must be registered too) under Name.
template <class T, class Base>
class TRegisterClass {
 public:
  template <typename Fill>
  TRegisterClass(const char* Name, Fill&& FillTable) {
    RegisterClassInfo(MakeClassInfo<T, Base>(Name, std::forward<Fill>(FillTable)));
  }
};

// Stores a definition for the class its root names ("object Form1: TForm1"). Returns true so
// that it can initialise a static; raises EReadError for a text that does not parse.
bool RegisterWindowDefinition(std::string_view Text);
// Whether a definition is stored for that class name.
bool HasWindowDefinition(const std::string& ClassName);

// Applies a definition to Root (entries, components, fields, handlers), then runs Loaded on
// everything it touched. Raises EReadError naming the entry that failed.
void ReadWindowDefinition(TComponent* Root, std::string_view Text);
// Applies the definition stored for Root's class name, if there is one.
void ApplyWindowDefinition(TComponent* Root);
