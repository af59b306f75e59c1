// latticor-cli: the headless twin of the desktop application, for batch work and scripts.
// Exit status 0 on success, 1 with the system's message on stderr when the work fails, 2 for
// usage errors.
#include <iostream>
#include "cli/Cli11.h"

#include "base/Error.h"
#include "cli/Filecheck.h"
#include "cli/Subcommands.h"

namespace {

constexpr int UsageError = 2;

// Every subcommand, in the order the help lists them.
constexpr void (*Subcommands[])(CLI::App&) = {
    AddSegmentCommand, AddEncodeCommand, AddMatchCommand,         AddStrainCommand,
    AddTrackCommand,   AddSynthCommand,  AddSynthSequenceCommand, AddDemoCommand,
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Latticor: grid-method displacement measurement without the desktop."};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show the help of every subcommand");
  app.footer("Run 'latticor-cli SUBCOMMAND --help' for the options of one subcommand.");
  for (auto add : Subcommands) add(app);

  // Parsing runs the chosen subcommand once its options are complete and consistent.
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return UsageError;
  } catch (const TUsageError& e) {
    std::cerr << e.Message() << std::endl;
    return UsageError;
  } catch (const TError& e) {
    std::cerr << e.Message() << std::endl;
    return 1;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return 1;
  }
  return 0;
}
