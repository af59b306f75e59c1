// Code file loader: the input is one code file, loaded once as the initial and once as the
// deformed file beside a small valid one, then matched and written in one of the eight layouts.
// A TError is the expected end of a bad file; anything else (a crash, another exception, a
// sanitizer report) is a fault.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "match/CodeReader.h"
#include "match/Match.h"

namespace {

const char* const ValidCodeFile =
    "VRKT-FS\r\n"
    "4 640 480\r\n"
    "3  2  0.500000  2.000000  255\r\n"
    "  0    101.500    33.250    -1    1   52\r\n"
    "  2    121.750    33.500     0    1   49\r\n"
    "  7    101.625    53.125    -1    0   50\r\n"
    "  9    121.500    53.000     0    0   51\r\n"
    "grid0.bmp\r\n";

// Tables of up to 2^27 entries (512 MiB) are legal. An input that asks for a large one spends
// most of a second filling it and is kept by the fuzzer, which then crawls; the loader's
// handling of such sizes does not depend on the rows, so those inputs are left out here.
// Sizes beyond the cap are refused at once and stay in.
bool AsksForALargeTable(const uint8_t* data, size_t size) {
  TCodeReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
  int32_t skipped = 0, maxNx = 0, maxNy = 0;
  reader.Word();
  if (!reader.Int(skipped) || !reader.Int(skipped) || !reader.Int(skipped)) return false;
  if (!reader.Int(maxNx) || !reader.Int(maxNy) || maxNx < 0 || maxNy < 0) return false;
  const int64_t columns = 2 * int64_t{maxNx} + 1;
  const int64_t rows = 2 * int64_t{maxNy} + 1;
  if (columns > TCoordinate::MaxEntries || rows > TCoordinate::MaxEntries) return false;
  const int64_t entries = columns * rows;
  return entries > (int64_t{1} << 20) && entries <= TCoordinate::MaxEntries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("codefile");
  static const std::string valid = scratch.File("valid.cod");
  static const std::string input = scratch.File("input.cod");
  static const std::string result = scratch.File("result.dat");
  static const bool ready =
      (TFuzzScratch::Put(valid, ValidCodeFile, std::char_traits<char>::length(ValidCodeFile)),
       true);
  (void)ready;
  if (AsksForALargeTable(data, size)) return 0;
  TFuzzScratch::Put(input, data, size);
  for (int order = 0; order < 2; ++order) {
    try {
      TMatch match(order == 0 ? input : valid, order == 0 ? valid : input);
      match.Match();
      match.FChangeYAxis = (size / 8) % 2 == 0;
      match.WriteResult(static_cast<int32_t>(size % TMatch::LayoutCount), result);
    } catch (const TError&) {
    }
  }
  return 0;
}
