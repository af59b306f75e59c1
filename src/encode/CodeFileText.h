#pragma once

#include <cstddef>
#include <string>

// The text of a code file, read from its start no further than the loader asks: a file that is
// no code file, or one far longer than its header announces, is never read whole (a device
// such as /dev/zero never ends).
class TCodeFileText {
 public:
  // " Can not open the  code file: \n" + path and the reason in brackets when it cannot be
  // opened (or is a folder).
  explicit TCodeFileText(const std::string& path);
  // A text already in memory, read as if it were the whole file; name stands for the path in
  // messages.
  struct TInMemory {};
  TCodeFileText(TInMemory, std::string text, const std::string& name);
  ~TCodeFileText();
  TCodeFileText(const TCodeFileText&) = delete;
  TCodeFileText& operator=(const TCodeFileText&) = delete;

  // Reads on until the text holds size bytes or the file has ended; the platform-style read
  // error when reading fails.
  void ReadUpTo(size_t size);
  const std::string& Text() const { return FText; }

 private:
  std::string FPath;
  std::string FText;
  int FHandle = -1;
  bool FEnded = false;
};
