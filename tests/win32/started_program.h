#pragma once

#include <windows.h>

#include <string>

// The check of an installed program started on its own: its main window appears, belongs to a
// process of `expectedImage`, and closing it ends the program with status 0. Prints its own
// "N passed, N failed" and returns the exit status of the check.
int CheckStartedProgram(const std::wstring& expectedImage);
