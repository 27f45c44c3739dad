#include "cli/command_line.h"

int main(int argc, char** argv) {
  return tandrel::cli::RunCommandLine(argc, argv);
}
