#pragma once
// The picture of the main window's upper 400 x 160 pixels, composed off
// screen from the artwork and the window's state.
#include <windows.h>

#include <cstdint>

#include "common/state.h"
#include "imaging/gdiplus_win.h"
#include "ui/window_state.h"

// The window's pictures for one DPI: the background, the lit cut-outs and
// the back buffer the picture is composed in, all in physical pixels. At 96
// dpi they are BG1 and cut-outs of BG_UP; elsewhere the scene set nearest the
// DPI, scaled once to the window's size. Made after GDI+ has started and
// destroyed before it shuts down (the main window owns one, made anew when
// it moves to another DPI).
class Artwork {
public:
    explicit Artwork(int dpi);
    static constexpr int kLitImages = 5;
    Artwork(const Artwork&) = delete;
    Artwork& operator=(const Artwork&) = delete;
    bool ok() const { return background_ && backBuffer_; }
    // The back buffer as the last paint left it (for tests): false before the first paint.
    bool BackBufferPixel(int x, int y, uint32_t& argb) const;

private:
    friend int PaintMainWindow(const WindowStateRecord&, const SettingsRecord&, const FolderRecord&, Artwork&, HDC);
    GdipBitmap background_;
    GdipBitmap lit_[kLitImages];
    POINT litAt_[kLitImages] = {};  // where each cut-out is drawn on the back buffer
    GdipBitmap backBuffer_;
    int dpi_;
    bool painted_ = false;
};

// Composes the whole picture into the back buffer and draws it onto `target`
// (the display child's paint DC). Texts and lines are laid out in logical
// pixels and scaled once by the DPI the artwork was made for. Answers 1, or 0 when the background cannot
// be drawn (then nothing is drawn). Changes nothing but the back buffer.
int PaintMainWindow(const WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders,
                    Artwork& art, HDC target);

// A PNG of the program's RCDATA resources at w x h pixels; empty when it cannot be read.
GdipBitmap LoadPngResourceAt(const char* name, int w, int h);

// The photo-text colour (0x00BBGGRR) as a swatch on the colour button's face, at the button's DPI.
void PaintColourSwatch(HDC target, int colour, int dpi);
