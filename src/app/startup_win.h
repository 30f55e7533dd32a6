#pragma once
#include <windows.h>

#include <string>

// What start-up keeps besides the settings and folders.
struct StartupRecord {
    std::string StartCommand;   // the whole command line in window mode; empty in command-line mode
    std::string StartArgument;  // the picture named on the command line
    HINSTANCE hInstance = nullptr;
    HWND MainWindow = nullptr;
    int iWinWidth = 400;
    int iWinHeight = 160;
    int iWinHeightOpen = 250;
};
extern StartupRecord Startup;

extern const char* const kMainWindowClass;
extern const char* const kMainWindowTitle;
extern const char* const kInstanceMutex;

// The whole program: start-up, then the command-line or the window mode. Answers the exit code.
int RunVarbo(HINSTANCE instance, const char* commandLine, int show);
