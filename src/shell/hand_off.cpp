#include "shell/hand_off.h"

#include "common/paths.h"
#include "common/text.h"

namespace {

const std::string_view kHeader = "VARBO-HANDOFF\n";

} // namespace

std::string EncodeHandOff(const HandOffRequest& request)
{
    std::string bytes(kHeader);
    bytes += request.sender;
    bytes += '\n';
    bytes += request.picture;
    return bytes;
}

bool DecodeHandOff(std::string_view bytes, HandOffRequest& request)
{
    if (bytes.substr(0, kHeader.size()) != kHeader) return false;
    bytes.remove_prefix(kHeader.size());
    const size_t end = bytes.find('\n');
    if (end == std::string_view::npos || end == 0) return false;
    const std::string_view picture = bytes.substr(end + 1);
    // The longest path Windows knows, counted as Windows counts it: a
    // Cyrillic path takes twice as many bytes as it has characters.
    if (bytes.find('\0') != std::string_view::npos || picture.size() > 4 * kMaxPathUnits ||
        Utf16Length(picture) >= kMaxPathUnits)
        return false;
    // One character would make a start take window mode, and an empty path
    // would make the job ask with a dialog.
    if (Utf8Length(picture) < 2) return false;
    request.sender = std::string(bytes.substr(0, end));
    request.picture = std::string(picture);
    return true;
}

long HandOffReplyForJob(int jobResult)
{
    return jobResult == 1 ? kHandOffDone : kHandOffFailed;
}

bool HandOffReplyIsFinal(long reply)
{
    return reply == kHandOffDone || reply == kHandOffFailed;
}

bool HandOffLedger::Find(const HandOffRequest& request, long& reply) const
{
    for (const Entry& e : entries_) {
        if (e.request == request) {
            reply = e.reply;
            return true;
        }
    }
    return false;
}

void HandOffLedger::Remember(const HandOffRequest& request, long reply)
{
    if (capacity_ == 0) return;
    if (entries_.size() == capacity_) entries_.pop_front();
    entries_.push_back({request, reply});
}
