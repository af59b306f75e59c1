#include "match/Codelineage.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "base/Convert.h"
#include "encode/Codefile.h"

namespace {

constexpr const char* Tag = "+ref:";

// A position as the reader gets it back from the writer's three decimals.
float AsWritten(float value) {
  std::string text;
  AppendFixed(text, static_cast<double>(value), 1, 3);
  float back = value;
  std::from_chars(text.data(), text.data() + text.size(), back);
  return back;
}

void Mix(uint64_t& hash, uint32_t value) {
  for (int32_t i = 0; i < 4; ++i) {
    hash ^= (value >> (8 * i)) & 0xFF;
    hash *= 1099511628211ull;
  }
}

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

std::string LineageOfDots(const std::vector<TDotInfo>& dots, bool asWritten) {
  uint64_t hash = 14695981039346656037ull;
  for (const TDotInfo& d : dots) {
    Mix(hash, static_cast<uint32_t>(d.Nx));
    Mix(hash, static_cast<uint32_t>(d.Ny));
    Mix(hash, static_cast<uint32_t>(d.Area));
    Mix(hash, Bits(asWritten ? AsWritten(d.x) : d.x));
    Mix(hash, Bits(asWritten ? AsWritten(d.y) : d.y));
  }
  return Format("%016llx", static_cast<unsigned long long>(hash));
}

std::string CodeLineage(const TCodeFileContent& content) {
  const std::string& mark = content.Mark;
  const size_t tag = std::strlen(Tag);
  if (mark.size() == tag + 16 && mark.compare(0, tag, Tag) == 0 &&
      mark.find_first_not_of("0123456789abcdef", tag) == std::string::npos)
    return mark.substr(tag);
  return LineageOfDots(content.Dots, false);
}

std::string LineageMark(const std::string& lineage) {
  return Tag + lineage;
}
