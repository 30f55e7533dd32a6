#pragma once
#include <windows.h>

// The whole program: start-up, then the command-line or the window mode. Answers the exit code.
int RunVarbo(HINSTANCE instance, const char* commandLine, int show);
