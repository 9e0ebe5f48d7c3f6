#pragma once
// The run time's exception classes: every failure carries a message.
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class EDivByZero : public Exception {
 public:
  using Exception::Exception;
};

class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// An integer operation whose result does not fit its type ("Integer overflow").
class EIntOverflow : public Exception {
 public:
  using Exception::Exception;
};
