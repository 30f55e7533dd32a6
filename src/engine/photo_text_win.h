#pragma once
#include <optional>
#include <string>

#include "engine/picture_job.h"
#include "imaging/image.h"

// The file's last-write date in local time, "05.03.2024" or with "  14:07";
// "00.00.0000" when the time cannot be read; nothing when the file cannot be opened.
std::optional<std::string> FileDateText(const std::string& path, bool dateOnly);
// Draws `text` onto the picture in the font, colour and placement of `photoText`.
// False when the font is unusable (nothing is drawn then).
bool DrawPictureText(Image& picture, const PhotoText& photoText, const std::string& text);
