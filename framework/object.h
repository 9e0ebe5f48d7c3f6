#pragma once
// The root of the framework's classes: a virtual destructor and a class name.

class TObject {
 public:
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return "TObject"; }
};
