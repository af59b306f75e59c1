#include <memory>
#include "cli/Cli11.h"

#include "cli/Commands.h"
#include "cli/Subcommands.h"

void AddDemoCommand(CLI::App& app) {
  auto directory = std::make_shared<std::string>("demo-output");
  CLI::App* sub = app.add_subcommand(
      "demo",
      "Synthesize a pair with a known deformation, segment, encode and match it as the "
      "subcommands do, and report the error against the truth.");
  sub->add_option("DIR", *directory, "Folder for every file of the run")->capture_default_str();
  sub->callback([directory] { RunDemo(*directory); });
}
