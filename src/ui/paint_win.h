#pragma once
// The picture of the main window's upper 400 x 160 pixels, composed off
// screen from the artwork and the window's state.
#include <windows.h>

#include <cstdint>

#include "common/state.h"
#include "imaging/gdiplus_win.h"
#include "ui/window_state.h"

// The window's pictures: the background, the lit cut-outs of BG_UP and the
// back buffer the picture is composed in. Made after GDI+ has started and
// destroyed before it shuts down (the main window owns one).
class Artwork {
public:
    Artwork();
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
    GdipBitmap backBuffer_;
    bool painted_ = false;
};

// Composes the whole picture into the back buffer and draws it onto `target`
// (the display child's paint DC). Answers 1, or 0 when the background cannot
// be drawn (then nothing is drawn). Changes nothing but the back buffer.
int PaintMainWindow(const WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders,
                    Artwork& art, HDC target);

// The photo-text colour (0x00BBGGRR) as a swatch on the colour button's face.
void PaintColourSwatch(HDC target, int colour);
