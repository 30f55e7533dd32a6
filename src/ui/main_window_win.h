#pragma once
// The main window: its procedure, and what other parts of the program call on it.
#include <windows.h>

#include <string>

constexpr UINT_PTR kTimerSlide = 601;     // 100 ms, selector tick
constexpr UINT_PTR kTimerRunEnd = 602;    // 1000 ms once, after a run with pictures
constexpr UINT_PTR kTimerNotes = 603;     // 700 ms, notes, panel refresh, restore after a test
constexpr UINT_PTR kTimerTestDone = 604;  // 2000 ms once, after a test picture
constexpr int kRunHotKeyId = 811;         // Esc, while a batch run goes

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Repaints at once (the window sends itself the paint message).
void RepaintMainWindow(HWND window);
// Esc as a system-wide hot key, only for the length of a batch run.
bool RegisterRunHotKey(HWND window);
void UnregisterRunHotKey(HWND window);
// Puts a text into the panel's photo-text field.
void SetPhotoTextField(HWND window, const std::string& text);
