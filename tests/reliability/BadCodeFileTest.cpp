// Damaged code files handed to `match`, as the initial and as the deformed file: each is refused
// with the loader's message naming the file, and no displacement file appears.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "MatrixSupport.h"

using namespace matrix;

namespace {

enum class TWhy { NotCode, ReadError, Range, TableSize, CannotOpen };

struct TBadCode {
  std::string Name;
  std::string Text;  // the file; for CannotOpen the kind of path (see below)
  TWhy Why;
  std::string Range;  // the grid position of a range error
};

std::string Header(const std::string& counts, const std::string& ranges) {
  return "VRKT-FS\r\n" + counts + "\r\n" + ranges + "\r\n";
}
const std::string Row = "  0     10.000    10.000     0    0   30\r\n";
const std::string Name = "grid.bmp\r\n";

std::vector<TBadCode> BadCodeFiles() {
  std::string binary(200, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 + 7);
  const std::string ranges = "5  5  1.000000  1.000000  0";
  return {
      {"WrongMagic", "VRKT-FX\r\n" + ValidCodeFile().substr(9), TWhy::NotCode, ""},
      {"SixCharactersOfTheMagic", "VRKT-F\r\n1 64 48\r\n", TWhy::NotCode, ""},
      {"EmptyFile", "", TWhy::NotCode, ""},
      {"BinaryFile", binary, TWhy::NotCode, ""},
      {"NegativeCount", Header("-1 64 48", ranges) + Row + Name, TWhy::ReadError, ""},
      {"HugeCount", Header("2147483647 64 48", ranges) + Row + Name, TWhy::ReadError, ""},
      {"CountBeyondTheInteger", Header("99999999999 64 48", ranges) + Row + Name, TWhy::ReadError,
       ""},
      {"MissingRows", Header("3 64 48", ranges) + Row + "  1  20.0  10.0  1  0  30\r\n",
       TWhy::ReadError, ""},
      {"HugeMaxNx", Header("1 64 48", "2147483647  5  1.0  1.0  0") + Row + Name, TWhy::TableSize,
       ""},
      {"GridTableBeyondItsCap", Header("1 64 48", "100000  100000  1.0  1.0  0") + Row + Name,
       TWhy::TableSize, ""},
      {"NegativeMaxNy", Header("1 64 48", "5  -1  1.0  1.0  0") + Row + Name, TWhy::TableSize, ""},
      {"LetterInARowNumber",
       Header("2 64 48", ranges) + Row + "  1     2O.000    10.000     1    0   30\r\n",
       TWhy::ReadError, ""},
      {"LetterInTheHeader", Header("1 64x 48", ranges) + Row + Name, TWhy::ReadError, ""},
      {"DecimalWhereAGridIndexBelongs",
       Header("1 64 48", ranges) + "  0  10.0  10.0  1.5  0  30\r\n", TWhy::ReadError, ""},
      {"NotANumberPosition", Header("1 64 48", ranges) + "  0  nan  10.0  0  0  30\r\n",
       TWhy::ReadError, ""},
      {"InfinitePosition", Header("1 64 48", ranges) + "  0  10.0  -inf  0  0  30\r\n",
       TWhy::ReadError, ""},
      {"PositionBeyondTheFloatRange", Header("1 64 48", ranges) + "  0  1e39  10.0  0  0  30\r\n",
       TWhy::ReadError, ""},
      {"NotANumberScale", Header("1 64 48", "5  5  nan  1.0  0") + Row + Name, TWhy::ReadError, ""},
      {"InfiniteScale", Header("1 64 48", "5  5  1.0  inf  0") + Row + Name, TWhy::ReadError, ""},
      {"ScaleOverflowingThePosition",
       Header("1 64 48", "5  5  1e30  1.0  0") + "  0  1e10  1  0  0  3\r\n", TWhy::ReadError, ""},
      {"HeaderCutOffAfterTheMagic", "VRKT-FS\r\n", TWhy::ReadError, ""},
      {"GridPositionOutsideTheRange", Header("1 64 48", ranges) + "  0  10.0  10.0  6  0  30\r\n",
       TWhy::Range, "(6 , 0) not in the range"},
      {"MissingFile", "missing", TWhy::CannotOpen, ""},
      {"DirectoryInsteadOfAFile", "directory", TWhy::CannotOpen, ""},
  };
}

std::string Expected(const TBadCode& c, const std::string& path) {
  switch (c.Why) {
    case TWhy::NotCode:
      return path + " is not a code file!";
    case TWhy::ReadError:
      return " Read data error from code file: \n" + path;
    case TWhy::Range:
      return c.Range;
    case TWhy::TableSize:
      return "No enough memory to allocate Coordinate System";
    default:
      return " Can not open the  code file: \n" + path +
             (c.Text == "missing" ? " (No such file or directory)"
                                  : " (that is a folder, not a code file)");
  }
}

class BadCodeFile : public testing::TestWithParam<TBadCode> {};

}  // namespace

TEST_P(BadCodeFile, IsRefusedAsInitialAndAsDeformedFileAndNothingIsWritten) {
  const TBadCode& c = GetParam();
  TTempDir dir;
  const std::string bad = dir.File("bad.cod"), good = dir.File("good.cod"),
                    out = dir.File("out.dat");
  WriteFileBytes(good, ValidCodeFile());
  if (c.Text == "directory")
    ASSERT_EQ(::mkdir(bad.c_str(), 0755), 0);
  else if (c.Text != "missing")
    WriteFileBytes(bad, c.Text);
  const std::vector<std::string> before = ListDirectory(dir.Path());

  for (bool badFirst : {true, false}) {
    TCliResult run = RunCli({"match", badFirst ? bad : good, badFirst ? good : bad, out});
    EXPECT_EQ(run.Status, 1) << (badFirst ? "initial" : "deformed");
    // A table beyond its cap goes on to say so; every other message stands alone.
    const std::string expected = Expected(c, bad);
    if (c.Why == TWhy::TableSize && run.Err.size() > expected.size() + 1)
      EXPECT_EQ(run.Err.substr(0, expected.size() + 8), expected + "\n(MaxNx ");
    else
      EXPECT_EQ(run.Err, expected + "\n") << (badFirst ? "initial" : "deformed");
  }
  EXPECT_EQ(ListDirectory(dir.Path()), before);
  // The partner file is sound: the same run with two sound files works.
  EXPECT_EQ(RunCli({"match", good, good, out}).Status, 0);
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadCodeFile, testing::ValuesIn(BadCodeFiles()),
                         [](const testing::TestParamInfo<TBadCode>& test) {
                           return test.param.Name;
                         });
