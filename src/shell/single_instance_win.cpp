#include "shell/single_instance_win.h"

#include "common/text.h"
#include "shell/hand_off.h"

namespace {

// Tells this start from any other, even one that later gets the same process id.
std::string SenderId()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const unsigned long long stamp = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return Format("%lu.%llu", GetCurrentProcessId(), stamp);
}

} // namespace

InstanceLock::~InstanceLock()
{
    if (owned_) ReleaseMutex(mutex_.get());
}

bool InstanceLock::Open(const char* name)
{
    if (!mutex_) mutex_.reset(CreateMutexA(nullptr, FALSE, name));
    return static_cast<bool>(mutex_);
}

// A copy that ended without letting go leaves the mutex abandoned; the next
// one in line owns it all the same.
bool InstanceLock::WaitTurn(unsigned milliseconds)
{
    if (owned_) return true;
    if (!mutex_) return false;
    const DWORD status = WaitForSingleObject(mutex_.get(), milliseconds);
    owned_ = status == WAIT_OBJECT_0 || status == WAIT_ABANDONED;
    return owned_;
}

// Whether a mutex is merely there says nothing: copies waiting for their turn
// keep it alive. Only ownership tells which copy runs.
bool AcquireInstance(const InstanceNames& names, InstanceLock& lock)
{
    if (!lock.Open(names.mutex)) return true;
    return lock.WaitTurn(0);
}

// Explorer starts one copy per selected picture, all at once. A copy with a
// window takes the pictures one by one through WM_COPYDATA; a copy with none
// (itself started with a picture) is waited for, so the pictures are made one
// after another and never race for the same output name. A busy window (a
// batch in work) is asked again until it takes the picture or ends.
HandOffResult HandOffToRunningCopy(const std::string& picture, const InstanceNames& names, InstanceLock& lock,
                                   const HandOffTiming& timing)
{
    const std::string payload = EncodeHandOff({SenderId(), picture});
    COPYDATASTRUCT data{};
    data.dwData = kHandOffTag;
    data.cbData = static_cast<DWORD>(payload.size());
    data.lpData = const_cast<char*>(payload.data());

    const ULONGLONG deadline = GetTickCount64() + timing.giveUpMs;
    do {
        if (HWND window = FindWindowA(names.windowClass, names.windowTitle)) {
            // After a time-out the window may still get to this message; the
            // same request sent again is then answered from its ledger.
            DWORD_PTR reply = kHandOffNotTaken;
            if (SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timing.sendTimeoutMs,
                                    &reply) &&
                HandOffReplyIsFinal(static_cast<long>(reply)))
                return {true, reply == static_cast<DWORD_PTR>(kHandOffDone) ? 1 : 0};
        }
        if (lock.WaitTurn(timing.retryMs)) return {};
    } while (GetTickCount64() < deadline);
    return {};
}

// Sent messages also arrive inside modal loops (a message box, the pause of a
// batch), so a picture may come while another is in work: it is asked for again later.
LRESULT HandleCopyData(const COPYDATASTRUCT* data, const HandOffTarget& target)
{
    static HandOffLedger ledger;
    static bool inWork = false;
    if (!data || data->dwData != kHandOffTag || !data->lpData) return kHandOffNotTaken;
    HandOffRequest request;
    if (!DecodeHandOff(std::string_view(static_cast<const char*>(data->lpData), data->cbData), request)) return kHandOffNotTaken;
    long reply = kHandOffNotTaken;
    if (ledger.Find(request, reply)) return reply;
    if (inWork || target.busy || !target.process) return kHandOffBusy;

    inWork = true;
    int result = 0;
    try {
        result = target.process(request.picture);
    } catch (...) {
        result = 0;  // no exception crosses the window procedure
    }
    inWork = false;
    reply = HandOffReplyForJob(result);
    ledger.Remember(request, reply);
    return reply;
}
