#pragma once
// A picture handed from a start to the copy of the program that already runs
// (WM_COPYDATA): what travels and what the running copy answers. Portable;
// single_instance_win.cpp does the sending and receiving.
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

constexpr unsigned long kHandOffTag = 0x31424F56;  // "VOB1": the dwData of our WM_COPYDATA

// The running copy's answer, as the message's result.
constexpr long kHandOffNotTaken = 0;  // not ours, or not understood
constexpr long kHandOffFailed = 1;    // processed, the job failed
constexpr long kHandOffDone = 2;      // processed, the job made its picture
constexpr long kHandOffBusy = 3;      // a batch or another picture is in work: ask again later

// `sender` tells one start from another, so a picture sent again after the
// sender stopped waiting is answered, not processed a second time.
struct HandOffRequest {
    std::string sender;
    std::string picture;
    bool operator==(const HandOffRequest&) const = default;
};

std::string EncodeHandOff(const HandOffRequest& request);
// False for anything that is not a request of ours with a sender and a picture of 2 or more characters.
bool DecodeHandOff(std::string_view bytes, HandOffRequest& request);
// The answer for a job's result (1 made, 0 failed), and back.
long HandOffReplyForJob(int jobResult);
bool HandOffReplyIsFinal(long reply);

// The last answers given, oldest forgotten first.
class HandOffLedger {
public:
    explicit HandOffLedger(size_t capacity = 256) : capacity_(capacity) {}
    bool Find(const HandOffRequest& request, long& reply) const;
    void Remember(const HandOffRequest& request, long reply);

private:
    struct Entry {
        HandOffRequest request;
        long reply;
    };
    std::deque<Entry> entries_;
    size_t capacity_;
};
