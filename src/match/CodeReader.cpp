#include "match/CodeReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <new>

#include "base/AtomicFile.h"
#include "base/Error.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A leading "+" is allowed as in C input, but not "+-".
std::string_view WithoutPlus(std::string_view word) {
  if (word.size() > 1 && word[0] == '+' && word[1] != '-') word.remove_prefix(1);
  return word;
}

}  // namespace

std::string_view TCodeReader::Word() {
  while (FPos < FText.size() && IsBlank(FText[FPos])) ++FPos;
  size_t first = FPos;
  while (FPos < FText.size() && !IsBlank(FText[FPos])) ++FPos;
  return FText.substr(first, FPos - first);
}

bool TCodeReader::Int(int32_t& value) {
  std::string_view word = WithoutPlus(Word());
  if (word.empty()) return false;
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool TCodeReader::Float(float& value) {
  std::string_view word = WithoutPlus(Word());
  if (word.empty()) return false;
  const char* end = word.data() + word.size();
  float parsed = 0;
  auto [ptr, ec] = std::from_chars(word.data(), end, parsed, std::chars_format::general);
  if (ec != std::errc() || ptr != end || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

std::string ReadCodeFileText(const std::string& path) {
  int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (handle < 0 || ::fstat(handle, &info) != 0 || S_ISDIR(info.st_mode)) {
    if (handle >= 0) ::close(handle);
    throw TError(" Can not open the  code file: \n" + path);
  }
  std::string text;
  size_t used = 0;
  int error = 0;
  try {
    // Room for the whole file and one more byte, so a file that does not grow is read in one go
    // and the end is seen without resizing.
    size_t room = S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) + 1 : 1 << 16;
    text.resize(room);
    for (;;) {
      if (used == text.size()) text.resize(text.size() * 2);
      ssize_t n = ::read(handle, text.data() + used, text.size() - used);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (n <= 0) break;
      used += static_cast<size_t>(n);
    }
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  ::close(handle);
  if (error != 0) throw TError(CannotReadText(path, error));
  text.resize(used);
  return text;
}
