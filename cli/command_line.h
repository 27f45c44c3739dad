#pragma once

namespace tandrel::cli {

// Reads the command line, runs the subcommand it names and returns the exit status: the result
// code of the operation (0 to 7), or 64 with a one-line reason on stderr when the command line
// cannot be carried out. --help and --version print and give 0.
int RunCommandLine(int argc, char** argv);

}  // namespace tandrel::cli
