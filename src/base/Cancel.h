#pragma once

// Raised by a long operation when the shell that runs it asks it to stop (the desktop
// application's Esc). It is not an error: the operation puts back what it had changed on its
// way out, and the shell reports only that it stopped. Deliberately not a std::exception, so
// that no handler of errors takes it for one.
class TCancelled {};
