#pragma once

#include <iosfwd>
#include <optional>
#include <string>

// What the command line asks of the desktop program: a file to open at start
// (empty for none), or an exit status when the program ends at once (after
// --help, --version or a usage error). Qt's own options (-platform NAME,
// -style NAME, ...) are left for Qt to read.
struct CStartupArgs {
    std::string strFile;
    std::optional<int> nExit;
};

// Reads the arguments before any window system is touched, so that --help and
// --version work without a display: usage and version go to out, a usage
// error to err as one line and a hint, with status 2.
CStartupArgs ParseStartupArgs(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
