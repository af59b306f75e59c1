#pragma once

// CLI11 for every file of the command-line tool. GCC 12 reports a false "may be used
// uninitialized" inside CLI11's conversion of two-value options once it inlines it into our
// code; the strict build must not fail on a third-party header.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop
