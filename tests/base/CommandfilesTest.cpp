// The files of one command, checked before its work: outputs that collide, outputs that would
// destroy an input, and outputs that cannot be created.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Commandfiles.h"
#include "support/TempDir.h"

TEST(CommandFiles, CollidingOutputsAreUsageErrorsAndInputsNeedForce) {
  TTempDir dir;
  const std::string pic = dir.File("pic.bmp");
  WriteFileBytes(pic, "picture");
  ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("pic.bmp", dir.File("alias.bmp").c_str()), 0);
  ASSERT_EQ(::link(pic.c_str(), dir.File("hard.bmp").c_str()), 0);
  const std::vector<TCommandFile> in = {{"INPUT", pic, ""}};

  // Two outputs, one file, however it is spelt (new or existing): a usage error.
  for (const std::string& second :
       {dir.File("a.bmp"), dir.File("sub/../a.bmp"), dir.Path() + "/./a.bmp"}) {
    const TFileCheck check = CheckCommandFiles(
        {}, {{"INITIAL", dir.File("a.bmp"), ""}, {"DEFORMED", second, ""}}, false);
    EXPECT_EQ(check.Status, 2) << second;
    EXPECT_EQ(check.Message, "INITIAL and DEFORMED name the same file \"" + second +
                                 "\": each output needs a file of its own");
  }
  // An output that is an input, through a link or a hard link too: refused unless forced.
  for (const std::string& out : {pic, dir.File("alias.bmp"), dir.File("hard.bmp")}) {
    const TFileCheck check = CheckCommandFiles(in, {{"OUTPUT", out, ""}}, false);
    EXPECT_EQ(check.Status, 1) << out;
    EXPECT_NE(check.Message.find("is the input INPUT"), std::string::npos) << check.Message;
    EXPECT_NE(check.Message.find("give --force"), std::string::npos) << check.Message;
    EXPECT_EQ(CheckCommandFiles(in, {{"OUTPUT", out, ""}}, true).Status, 0) << out;
  }
  EXPECT_EQ(CheckCommandFiles(in, {{"OUTPUT", dir.File("other.bmp"), ""}}, false).Status, 0);
  // Devices may take any number of outputs.
  EXPECT_EQ(CheckCommandFiles(in, {{"A", "/dev/null", ""}, {"B", "/dev/null", ""}}, false).Status,
            0);
}

TEST(CommandFiles, OutputsThatCannotBeCreatedAreNamedWithTheReason) {
  TTempDir dir;
  const std::string missing = dir.File("missing/x.cod");
  TFileCheck check =
      CheckCommandFiles({}, {{"OUTPUT", missing, "file open error:Can create file "}}, false);
  EXPECT_EQ(check.Status, 1);
  EXPECT_EQ(check.Message,
            "file open error:Can create file " + missing + " (No such file or directory)");
  check = CheckCommandFiles({}, {{"OUTPUT", dir.File("ok.bmp"), ""}, {"--overlay", dir.Path(), ""}},
                            false);
  EXPECT_EQ(check.Status, 1);
  EXPECT_EQ(check.Message, "Cannot create file \"" + dir.Path() + "\". Is a directory");
}
