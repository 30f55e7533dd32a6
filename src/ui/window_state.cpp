#include "ui/window_state.h"

WindowStateRecord WindowState;

const char* const kNothingMadeNote = "Этот файл не подходит...";
const char* const kRunStoppedNote = "Обработка файлов завершена...";

void ShowNote(WindowStateRecord& state, const std::string& text, int ticks)
{
    // A note can quote something the user typed: a text longer than the
    // note's 1023 bytes is cut between characters.
    state.NoteText = Utf8BytePrefix(text, kNoteTextMaxBytes);
    state.iNoteTicks = ticks;
}

std::string Utf8BytePrefix(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes) return text;
    size_t cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the character that did not fit.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}
