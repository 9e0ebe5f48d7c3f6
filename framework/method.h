#pragma once
// Method pointers: the pair of a method's code and the object it runs on. An event
// is called only when its code part is set; the object part is not looked at and is
// passed on as the object the method runs on.
#include <utility>

class TObject;

template <typename... Args>
struct TMethod {
  using CodeType = void (*)(void* Data, Args... args);

  CodeType Code = nullptr;  // the method's code, through a thunk that knows its class
  void* Data = nullptr;     // the object it runs on; not owned

  // A method pointer to `Method` of `object`: TNotifyEvent::Of<&TForm1::FormActivate>(form).
  template <auto Method, typename T>
  static TMethod Of(T* object) {
    TMethod m;
    m.Code = [](void* data, Args... args) { (static_cast<T*>(data)->*Method)(std::forward<Args>(args)...); };
    m.Data = object;
    return m;
  }

  bool Assigned() const { return Code != nullptr; }

  // Calls the method when its code is set; does nothing otherwise.
  void operator()(Args... args) const {
    if (Code != nullptr) Code(Data, std::forward<Args>(args)...);
  }

  friend bool operator==(const TMethod&, const TMethod&) = default;
};

using TNotifyEvent = TMethod<TObject*>;
