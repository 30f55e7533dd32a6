#include "ui/virtual_files.h"

#include <algorithm>

#include "common/paths.h"
#include "engine/picture_list.h"

namespace {

// Names Windows keeps for devices, whatever follows the first dot: "nul.jpg" is the null device.
bool IsDeviceName(std::string_view name)
{
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

} // namespace

std::string SafeFileName(std::string_view senderName)
{
    std::string name = FileNameOf(senderName);
    // Characters no Windows file name holds; ':' would also name a stream of another file.
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) c = '_';
    // The system drops trailing dots and blanks itself, so "." and ".." come out empty here.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (IsDeviceName(name)) name.insert(0, "_");
    return name;
}

std::vector<VirtualInput> VirtualInputs(const std::vector<FileDescriptorInfo>& descriptors)
{
    std::vector<VirtualInput> inputs;
    for (size_t i = 0; i < descriptors.size() && inputs.size() < static_cast<size_t>(kMaxRunInputs); ++i) {
        const FileDescriptorInfo& d = descriptors[i];
        if (d.folder) continue;
        VirtualInput input;
        input.fileName = SafeFileName(d.name);
        // The filter takes paths, and the copy's path ends in this name ("a.jpg" is a picture).
        if (input.fileName.empty() || !IsPictureName("\\" + input.fileName)) continue;
        input.index = static_cast<int>(i);
        input.size = d.size;
        input.writeTime = d.writeTime;
        input.creationTime = d.creationTime;
        inputs.push_back(std::move(input));
    }
    return inputs;
}

uint32_t ChosenDropEffect(bool takesOffer, uint32_t allowedEffects)
{
    return takesOffer && (allowedEffects & kEffectCopy) ? kEffectCopy : kEffectNone;
}

size_t ContentsMeter::NextAsk(size_t chunk) const
{
    // Without a size, one byte past the limit is asked for, so contents that go on past it are seen.
    const uint64_t wanted = announced_ ? *announced_ : kMaxBytes + 1;
    return taken_ >= wanted ? 0 : static_cast<size_t>(std::min<uint64_t>(chunk, wanted - taken_));
}

bool ContentsMeter::Whole() const
{
    if (taken_ == 0) return false;
    return announced_ ? taken_ == *announced_ : taken_ <= kMaxBytes;
}
