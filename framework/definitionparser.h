#pragma once
// TDefinitionParser: reads the text of a window definition (see windowdefinition.h) into a
// tree of objects whose entries and child objects keep their stored order.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/windowdefinition.h"

struct TDefinitionObject;

struct TDefinitionItem {
  // An entry "Name = Value", or a child object when Object is set.
  std::string Name;
  TDefinitionValue Value;
  int Line = 0;
  std::unique_ptr<TDefinitionObject> Object;
};

struct TDefinitionObject {
  std::string Name;
  std::string ClassName;
  int Line = 0;
  std::vector<TDefinitionItem> Items;  // in stored order
};

class TDefinitionParser {
 public:
  explicit TDefinitionParser(std::string_view Text) : FText(Text) {}
  // The root object; raises EReadError with the line of the first fault.
  std::unique_ptr<TDefinitionObject> Parse();

 private:
  enum TToken { tkEnd, tkIdent, tkInteger, tkString, tkSymbol };

  void Next();
  [[noreturn]] void Error(const std::string& What) const;
  void Expect(char Symbol);
  std::string ExpectIdent();
  std::unique_ptr<TDefinitionObject> ParseObject();
  TDefinitionValue ParseValue();

  std::string_view FText;
  std::size_t FPos = 0;
  int FLine = 1;
  TToken FToken = tkEnd;
  std::string FTokenText;       // identifier (dots included), string contents or the symbol
  std::int64_t FTokenInteger = 0;
  int FTokenLine = 1;
};
