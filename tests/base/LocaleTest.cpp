// Numbers in the texts the system writes and reads keep the decimal point under a locale with a
// decimal comma, which the desktop application takes from the user's environment.
#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "support/CommaLocale.h"
#include "support/TempDir.h"

TEST(Locale, DecimalCommaLocaleChangesNoNumberText) {
  TCommaLocale comma;
  if (!comma.Problem().empty()) GTEST_SKIP() << comma.Problem();
  EXPECT_EQ(Format("%f  %8.3f", 1.0, 668.265), "1.000000   668.265");
  EXPECT_EQ(FloatToStr(0.25), "0.25");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(CodeScaleText(0.5f), "0.500000");
  EXPECT_EQ(StrToFloat("2.5"), 2.5);
  TTempDir dir;
  TAtomicFile file(dir.File("numbers.txt"));
  ASSERT_TRUE(file.Open());
  file.Printf("%f %.3f\r\n", 1.0, 668.265);
  file.Commit();
  EXPECT_EQ(ReadFileBytes(dir.File("numbers.txt")), "1.000000 668.265\r\n");
}
