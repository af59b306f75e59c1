// Code file loader: the input is one code file, loaded once as the initial and once as the
// deformed file beside a small valid one, then matched and written in one of the eight layouts.
// A TError is the expected end of a bad file; anything else (a crash, another exception, a
// sanitizer report) is a fault. Any grid range a header announces is cheap: a table far larger
// than the file's dots keeps only their positions.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "base/Error.h"
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
