// Code file loader: the input is one code file, loaded once as the initial and once as the
// deformed file beside a small valid one, then matched and written in one of the eight layouts.
// A TError is the expected end of a bad file; anything else (a crash, another exception, a
// sanitizer report) is a fault.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

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

// A private folder on a memory file system where there is one: results are flushed to disk on
// every save, which would dominate the run time on a real disk.
class TScratch {
 public:
  TScratch() {
    const char* const bases[] = {"/dev/shm", getenv("TMPDIR"), "/tmp"};
    for (const char* base : bases) {
      if (base == nullptr) continue;
      std::string name = std::string(base) + "/fuzz-codefile-XXXXXX";
      if (mkdtemp(name.data()) != nullptr) {
        FDir = name;
        break;
      }
    }
    if (FDir.empty()) abort();
    Put(Valid(), ValidCodeFile, std::char_traits<char>::length(ValidCodeFile));
  }
  ~TScratch() {
    for (const std::string& file : {Valid(), Input(), Result()}) unlink(file.c_str());
    rmdir(FDir.c_str());
  }
  std::string Valid() const { return FDir + "/valid.cod"; }
  std::string Input() const { return FDir + "/input.cod"; }
  std::string Result() const { return FDir + "/result.dat"; }

  static void Put(const std::string& path, const void* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) abort();
    if (std::fclose(file) != 0) abort();
  }

 private:
  std::string FDir;
};

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
  static TScratch scratch;
  if (AsksForALargeTable(data, size)) return 0;
  TScratch::Put(scratch.Input(), data, size);
  for (int order = 0; order < 2; ++order) {
    try {
      TMatch match(order == 0 ? scratch.Input() : scratch.Valid(),
                   order == 0 ? scratch.Valid() : scratch.Input());
      match.Match();
      match.FChangeYAxis = (size / 8) % 2 == 0;
      match.WriteResult(static_cast<int32_t>(size % TMatch::LayoutCount), scratch.Result());
    } catch (const TError&) {
    }
  }
  return 0;
}
