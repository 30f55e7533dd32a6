// The WM_COPYDATA message a second start sends to the running copy.
#include <cstdlib>
#include <string_view>

#include "shell/hand_off.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HandOffRequest request;
    if (!DecodeHandOff(std::string_view(reinterpret_cast<const char*>(data), size), request)) return 0;
    // What was understood travels again unchanged.
    HandOffRequest again;
    if (!DecodeHandOff(EncodeHandOff(request), again) || !(again == request)) std::abort();
    HandOffLedger ledger(2);
    long reply = 0;
    ledger.Remember(request, kHandOffDone);
    if (!ledger.Find(again, reply) || reply != kHandOffDone) std::abort();
    return 0;
}
