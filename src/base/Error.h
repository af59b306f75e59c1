#pragma once

#include <stdexcept>
#include <string>

// The one error type of the system. It carries the message exactly as the user is meant to
// read it, leading and trailing blanks and line breaks included.
class TError : public std::runtime_error {
 public:
  explicit TError(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// The text a message box shows for an error: a "." is appended when the last character sorts
// after "." (a letter or a digit, say); texts ending in a blank, ")" or a quote stay as they are.
std::string DisplayText(const std::string& message);
