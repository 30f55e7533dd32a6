#pragma once
// Files that a drop brings without a path: a phone's or camera's photos in
// Explorer, an attachment out of a mail program, a picture out of a browser.
// The sender describes each one (a file descriptor) and hands its bytes over
// on request; these are the decisions about them that need no Windows.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a sender's descriptor says of one file or folder.
struct FileDescriptorInfo {
    std::string name;                     // under a dragged folder, relative to the drop: "DCIM\IMG_0001.HEIC"
    bool folder = false;
    std::optional<uint64_t> size;          // when the sender gives it
    std::optional<uint64_t> writeTime;     // 100-ns ticks since 1601 (a FILETIME), when given
    std::optional<uint64_t> creationTime;  // likewise
};

// One picture of such a drop, in the sender's order.
struct VirtualInput {
    int index = 0;         // its descriptor's place, by which the sender hands over its bytes
    std::string fileName;  // the name its copy on disk gets
    std::optional<uint64_t> size, writeTime, creationTime;
};

// The pictures of a drop: every file (at any depth under a dragged folder)
// whose name the picture-name filter takes, at most 9000, in the sender's
// order. Folders, and names that leave nothing usable, are passed over.
std::vector<VirtualInput> VirtualInputs(const std::vector<FileDescriptorInfo>& descriptors);

// The last element of a sender's name as a name the file system takes;
// empty when nothing usable is left.
std::string SafeFileName(std::string_view senderName);

// The drop effects of OLE: a copy, a move, a link.
constexpr uint32_t kEffectNone = 0;
constexpr uint32_t kEffectCopy = 1;
// What the window answers a sender: a copy when it takes what is offered and
// the sender allows one; never a move, which would delete a phone's photo.
uint32_t ChosenDropEffect(bool takesOffer, uint32_t allowedEffects);

// Counts the bytes of one file's contents as they come and says whether the
// file came whole. With a size from the descriptor exactly that many bytes
// are taken, and fewer is a broken transfer; without one, up to the end of
// the contents. Nothing (an empty file) is never whole.
class ContentsMeter {
public:
    static constexpr uint64_t kMaxBytes = uint64_t(4) << 30;  // no photo is larger: contents past this are broken
    explicit ContentsMeter(std::optional<uint64_t> announced) : announced_(announced) {}
    // How many bytes to ask for next, at most `chunk`; 0 when no more are wanted.
    size_t NextAsk(size_t chunk) const;
    void Took(size_t bytes) { taken_ += bytes; }
    uint64_t taken() const { return taken_; }
    bool Whole() const;
private:
    std::optional<uint64_t> announced_;
    uint64_t taken_ = 0;
};
