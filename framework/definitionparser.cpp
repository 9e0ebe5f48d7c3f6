#include "framework/definitionparser.h"

#include <cctype>
#include <limits>
#include <strings.h>

namespace {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }
bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

void TDefinitionParser::Error(const std::string& What) const {
  throw EReadError("Window definition, line " + std::to_string(FTokenLine) + ": " + What);
}

void TDefinitionParser::Next() {
  // Blanks, line ends and // comments separate tokens.
  for (;;) {
    while (FPos < FText.size() && std::isspace(static_cast<unsigned char>(FText[FPos]))) {
      if (FText[FPos] == '\n') ++FLine;
      ++FPos;
    }
    if (FPos + 1 < FText.size() && FText[FPos] == '/' && FText[FPos + 1] == '/') {
      while (FPos < FText.size() && FText[FPos] != '\n') ++FPos;
      continue;
    }
    break;
  }
  FTokenLine = FLine;
  FTokenText.clear();
  if (FPos >= FText.size()) {
    FToken = tkEnd;
    return;
  }
  const char c = FText[FPos];
  if (IsIdentStart(c)) {
    while (FPos < FText.size() && IsIdentChar(FText[FPos])) FTokenText += FText[FPos++];
    FToken = tkIdent;
    return;
  }
  if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' ||
      ((c == '-' || c == '+') && FPos + 1 < FText.size() &&
       (std::isdigit(static_cast<unsigned char>(FText[FPos + 1])) || FText[FPos + 1] == '$'))) {
    bool negative = false;
    if (c == '-' || c == '+') {
      negative = c == '-';
      ++FPos;
    }
    const bool hex = FText[FPos] == '$';
    if (hex) ++FPos;
    const int base = hex ? 16 : 10;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    while (FPos < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos])) &&
           (hex || std::isdigit(static_cast<unsigned char>(FText[FPos])))) {
      const char d = FText[FPos++];
      const int v = std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : (std::tolower(d) - 'a' + 10);
      value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(v);
      if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) Error("number too large");
      ++digits;
    }
    if (digits == 0 || (FPos < FText.size() && IsIdentChar(FText[FPos]))) Error("invalid number");
    FTokenInteger = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    FToken = tkInteger;
    return;
  }
  if (c == '\'' || c == '#') {
    // 'text' with '' for a quote, #13 for a character by its code; adjacent parts join.
    while (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
      if (FText[FPos] == '#') {
        ++FPos;
        int code = 0;
        std::size_t digits = 0;
        while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos]))) {
          code = code * 10 + (FText[FPos++] - '0');
          if (code > 255) Error("invalid character code");
          ++digits;
        }
        if (digits == 0) Error("invalid character code");
        FTokenText += static_cast<char>(code);
        continue;
      }
      ++FPos;
      for (;;) {
        if (FPos >= FText.size() || FText[FPos] == '\n') Error("unterminated string");
        if (FText[FPos] == '\'') {
          if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
            FTokenText += '\'';
            FPos += 2;
            continue;
          }
          ++FPos;
          break;
        }
        FTokenText += FText[FPos++];
      }
    }
    FToken = tkString;
    return;
  }
  if (c == '=' || c == ':' || c == '[' || c == ']' || c == ',') {
    FTokenText = std::string(1, c);
    ++FPos;
    FToken = tkSymbol;
    return;
  }
  Error(std::string("unexpected character '") + c + "'");
}

void TDefinitionParser::Expect(char Symbol) {
  if (FToken != tkSymbol || FTokenText[0] != Symbol) Error(std::string("'") + Symbol + "' expected");
  Next();
}

std::string TDefinitionParser::ExpectIdent() {
  if (FToken != tkIdent) Error("identifier expected");
  std::string ident = FTokenText;
  Next();
  return ident;
}

std::unique_ptr<TDefinitionObject> TDefinitionParser::Parse() {
  Next();
  auto root = ParseObject();
  if (FToken != tkEnd) Error("text after the final 'end'");
  return root;
}

std::unique_ptr<TDefinitionObject> TDefinitionParser::ParseObject() {
  if (FToken != tkIdent || !SameText(FTokenText, "object")) Error("'object' expected");
  auto object = std::make_unique<TDefinitionObject>();
  object->Line = FTokenLine;
  Next();
  object->Name = ExpectIdent();
  Expect(':');
  object->ClassName = ExpectIdent();
  for (;;) {
    if (FToken == tkEnd) Error("'end' expected for object " + object->Name);
    if (FToken != tkIdent) Error("entry expected");
    if (SameText(FTokenText, "end")) {
      Next();
      return object;
    }
    TDefinitionItem item;
    item.Line = FTokenLine;
    if (SameText(FTokenText, "object")) {
      item.Object = ParseObject();
      item.Name = item.Object->Name;
    } else {
      item.Name = ExpectIdent();
      if (item.Name.front() == '.' || item.Name.back() == '.' || item.Name.find("..") != std::string::npos) {
        Error("invalid entry name " + item.Name);
      }
      Expect('=');
      item.Value = ParseValue();
    }
    object->Items.push_back(std::move(item));
  }
}

TDefinitionValue TDefinitionParser::ParseValue() {
  TDefinitionValue value;
  switch (FToken) {
    case tkInteger:
      value.Kind = TDefinitionValue::vkInteger;
      value.Integer = FTokenInteger;
      Next();
      return value;
    case tkString:
      value.Kind = TDefinitionValue::vkString;
      value.Text = FTokenText;
      Next();
      return value;
    case tkIdent:
      value.Kind = TDefinitionValue::vkIdent;
      value.Text = FTokenText;
      Next();
      return value;
    case tkSymbol:
      if (FTokenText[0] == '[') {
        value.Kind = TDefinitionValue::vkSet;
        Next();
        if (FToken == tkSymbol && FTokenText[0] == ']') {
          Next();
          return value;
        }
        for (;;) {
          value.Items.push_back(ExpectIdent());
          if (FToken == tkSymbol && FTokenText[0] == ',') {
            Next();
            continue;
          }
          Expect(']');
          return value;
        }
      }
      break;
    case tkEnd:
      break;
  }
  Error("value expected");
}
