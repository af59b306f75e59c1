#include "cli/Commandline.h"

#include <iostream>

#include "base/Error.h"
#include "cli/Cli11.h"
#include "cli/Filecheck.h"
#include "cli/Subcommands.h"
#include "image/Picturedecode.h"

namespace {

constexpr int UsageError = 2;

// Every subcommand, in the order the help lists them.
constexpr void (*Subcommands[])(CLI::App&) = {
    AddSegmentCommand, AddEncodeCommand, AddMatchCommand,         AddStrainCommand,
    AddTrackCommand,   AddSynthCommand,  AddSynthSequenceCommand, AddDemoCommand,
};

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Latticor: grid-method displacement measurement without the desktop.",
               "latticor-cli"};
  app.set_version_flag("--version", "latticor-cli " LATTICOR_VERSION);
  app.require_subcommand(1);
  // Options of the program itself may also follow the subcommand's.
  app.fallthrough();
  SetMaxPicturePixels(0,
                      "--max-pixels N or the environment variable LATTICOR_MAX_PIXELS=N "
                      "reads larger ones");
  app.add_option_function<int64_t>(
         "--max-pixels", [](int64_t pixels) { SetMaxPicturePixels(pixels); },
         "The most pixels a picture file may have (default 268435456, 16384 x 16384, or "
         "LATTICOR_MAX_PIXELS); larger ones are refused from their header")
      ->check(CLI::Range(int64_t{1}, int64_t{2147483647}));
  app.set_help_all_flag("--help-all", "Show the help of every subcommand");
  app.footer("Run 'latticor-cli SUBCOMMAND --help' for the options of one subcommand.");
  for (auto add : Subcommands) add(app);

  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  // Parsing runs the chosen subcommand once its options are complete and consistent.
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return UsageError;
  } catch (const TUsageError& e) {
    err << e.Message() << std::endl;
    return UsageError;
  } catch (const TError& e) {
    err << e.Message() << std::endl;
    return 1;
  } catch (const std::exception& e) {
    err << e.what() << std::endl;
    return 1;
  }
  return 0;
}
