#pragma once
#include <optional>
#include <string>

#include "imaging/image.h"

// The file's last-write date in local time, "05.03.2024" or with "  14:07";
// "00.00.0000" when the time cannot be read; nothing when the file cannot be opened.
std::optional<std::string> FileDateText(const std::string& path, bool dateOnly);
// Draws `text` onto the picture in the job's font, colour and placement
// (JobParams). False, after the font message, when the font is unusable.
bool DrawPictureText(Image& picture, const std::string& text);
