#include <sys/statvfs.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include "cli/Cli11.h"

#include "base/Convert.h"
#include "base/Error.h"
#include "cli/Filecheck.h"
#include "cli/Subcommands.h"
#include "synth/Synthsequence.h"

namespace {

struct TSynthSequenceArgs {
  std::string Dir;
  int32_t Steps = 10;
  TSynthOptions Options;
  bool Force = false;  // replace a sequence the folder holds
};

std::string Size(double bytes) {
  return bytes >= 1e9 ? Format("%.1f GB", bytes / 1e9) : Format("%.1f MB", bytes / 1e6);
}

// Everything that decides failure before the first picture: the grid, the folder, a sequence
// already there (frames of two sequences in one folder would be taken for one), the room.
void CheckSequence(const TSynthSequenceArgs& args, std::vector<std::string>& replaced) {
  namespace fs = std::filesystem;
  const TSynthGrid grid(args.Options);
  const std::string first = (fs::path(args.Dir) / "frame-0000.bmp").string();
  CheckPictureOutput(first, args.Options.Width, args.Options.Height);
  CheckFiles({},
             {{"frame-0000.bmp", first, ""},
              {"truth-0000.csv", (fs::path(args.Dir) / "truth-0000.csv").string(), ""}},
             false);
  replaced = SequenceFilesIn(args.Dir);
  if (!replaced.empty() && !args.Force)
    throw TError("The folder " + args.Dir + " holds a sequence already (" +
                 fs::path(replaced.front()).filename().string() + " and " +
                 std::to_string(replaced.size() - 1) +
                 " more frame and truth files): give another folder, or --force to replace it "
                 "(those files are removed first)");
  // A frame is a 24-bit bitmap; a truth row takes at most about 64 bytes.
  const double frame = 54.0 + static_cast<double>((3 * int64_t{args.Options.Width} + 3) / 4 * 4) *
                                  args.Options.Height;
  const double needed =
      (args.Steps + 1.0) * (frame + 64.0 * static_cast<double>(grid.Dots().size()) + 16.0);
  struct statvfs room {};
  if (::statvfs(args.Dir.c_str(), &room) != 0) return;  // not known: the writes will tell
  double free = static_cast<double>(room.f_bavail) * static_cast<double>(room.f_frsize);
  std::error_code ignored;
  for (const std::string& file : replaced)
    free += static_cast<double>(fs::file_size(file, ignored));
  if (needed > free)
    throw TError("The sequence would take about " + Size(needed) + " in " + args.Dir +
                 ", but its file system has " + Size(free) +
                 " free: give fewer --steps, a smaller --size or another folder");
}

void RunSynthSequence(const TSynthSequenceArgs& args) {
  std::error_code failure;
  const bool made = std::filesystem::create_directories(args.Dir, failure);
  if (failure) throw TError("Cannot create the folder " + args.Dir + ": " + failure.message());
  std::vector<std::string> replaced;
  try {
    CheckSequence(args, replaced);
  } catch (const TError&) {
    if (made) std::filesystem::remove(args.Dir, failure);  // a refused run leaves nothing
    throw;
  }
  // The old sequence goes first: a run that fails half-way leaves part of the new one, never a
  // mixture.
  for (const std::string& file : replaced)
    if (!std::filesystem::remove(file, failure) && failure)
      throw TError("Cannot remove " + file + ": " + failure.message());
  const auto pictures = WriteSynthSequence(args.Options, args.Steps, args.Dir);
  std::printf("%zu pictures and their truth written to %s\n", pictures.size(), args.Dir.c_str());
}

}  // namespace

void AddSynthSequenceCommand(CLI::App& app) {
  auto args = std::make_shared<TSynthSequenceArgs>();
  TSynthOptions& so = args->Options;
  CLI::App* sub = app.add_subcommand(
      "synth-sequence",
      "Write a synthetic test: STEPS + 1 pictures of one grid whose translation and strain grow "
      "linearly from none to the given final values, and the true centres of each.");
  sub->add_option("DIR", args->Dir,
                  "Folder for frame-NNNN.bmp and truth-NNNN.csv (i,j,x0,y0,x1,y1: picture 0 "
                  "and picture NNNN)")
      ->required();
  sub->add_flag("--force", args->Force,
                "Replace a sequence the folder holds: its frame-NNNN.bmp and truth-NNNN.csv "
                "files are removed first (no other file)");
  sub->add_option("--steps", args->Steps, "Pictures after the reference")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  AddPictureOptions(*sub, so, "the last picture");
  AddSeedOption(*sub, so.Seed, "Seed of the noise and the grid's phase");
  sub->add_option("--turn", so.TurnDeg,
                  "Rigid rotation of the last picture about the picture centre, degrees "
                  "counterclockwise")
      ->check(CheckFinite)
      ->check(CLI::Range(-180.0, 180.0));
  AddGridShapeOptions(*sub, so);
  sub->callback([args] { RunSynthSequence(*args); });
}
