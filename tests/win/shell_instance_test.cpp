// The single-instance hand-off between copies of the program, played by
// threads: a "running copy" thread holds the mutex and, when it has one, a
// window that answers WM_COPYDATA through HandleCopyData.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shell/hand_off.h"
#include "shell/single_instance_win.h"
#include "temp_folder.h"

namespace {

std::string Unique(const char* what)
{
    static int counter = 0;
    return std::string("VarboTest") + what + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// Each test gets names of its own, so no test sees another's mutex or window.
struct TestNames {
    std::string mutex = Unique("Mutex"), windowClass = Unique("Class"), windowTitle = Unique("Варбо Pro.");
    InstanceNames Get() const { return {mutex.c_str(), windowClass.c_str(), windowTitle.c_str()}; }
};

// Every picture a test hands off is a new one: the window remembers its answers per sender and picture.
std::string Picture(const char* name)
{
    return R"(C:\Users\Anna Maria\Pictures\)" + Unique(name) + ".jpg";
}

class RunningCopy {
public:
    struct Options {
        bool window = true;
        int busyAnswers = 0;       // the first messages find the window busy
        int jobResult = 1;
        int endAfterMs = -1;       // >= 0: the copy ends by itself after that long
        bool abandon = false;      // ends without letting go of the mutex
    };

    RunningCopy(const TestNames& names, Options options) : names_(names), options_(options)
    {
        thread_ = std::thread([this] { Run(); });
        WaitForSingleObject(ready_, 5000);
    }
    ~RunningCopy()
    {
        if (threadId_) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        CloseHandle(ready_);
    }
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;

    std::vector<std::string> Processed()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return processed_;
    }
    int messages() const { return messages_; }
    // Whether the copy has ended: set before it lets go of the mutex or leaves it behind.
    bool ended() const { return ended_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COPYDATA) {
            auto* self = reinterpret_cast<RunningCopy*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            ++self->messages_;
            HandOffTarget target;
            target.busy = self->messages_ <= self->options_.busyAnswers;
            target.process = [self](const std::string& picture) {
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->processed_.push_back(picture);
                return self->options_.jobResult;
            };
            return HandleCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam), target);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    void Run()
    {
        threadId_ = GetCurrentThreadId();
        HANDLE mutex = CreateMutexA(nullptr, TRUE, names_.mutex.c_str());
        HWND window = nullptr;
        if (options_.window) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = WindowProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = names_.windowClass.c_str();
            RegisterClassA(&wc);
            window = CreateWindowExA(0, names_.windowClass.c_str(), names_.windowTitle.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                     nullptr, wc.hInstance, nullptr);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before anyone posts to it
        if (options_.endAfterMs >= 0) SetTimer(nullptr, 0, static_cast<UINT>(options_.endAfterMs), nullptr);
        SetEvent(ready_);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER && !msg.hwnd) break;
            DispatchMessageA(&msg);
        }
        if (window) DestroyWindow(window);
        if (options_.window) UnregisterClassA(names_.windowClass.c_str(), GetModuleHandleA(nullptr));
        ended_ = true;
        if (!options_.abandon) ReleaseMutex(mutex);
        CloseHandle(mutex);
        threadId_ = 0;
    }

    const TestNames& names_;
    Options options_;
    HANDLE ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::mutex mutex_;
    std::vector<std::string> processed_;
    std::atomic<int> messages_{0};
    std::atomic<bool> ended_{false};
};

// A copy that waits for its turn keeps the mutex alive with a handle of its
// own; without one, closing our handle would end the mutex and any check
// after that would find a new, free one.
class WaitingCopy {
public:
    explicit WaitingCopy(const std::string& name) : handle_(CreateMutexA(nullptr, FALSE, name.c_str())) {}
    ~WaitingCopy() { CloseHandle(handle_); }
    WaitingCopy(const WaitingCopy&) = delete;
    WaitingCopy& operator=(const WaitingCopy&) = delete;

private:
    HANDLE handle_;
};

// Whether another thread could take the mutex now.
bool FreeForAnotherThread(const char* name)
{
    bool free = false;
    std::thread([&] {
        InstanceLock lock;
        lock.Open(name);
        free = lock.WaitTurn(0);
    }).join();
    return free;
}

HandOffTiming Quick(unsigned giveUpMs = 10000)
{
    HandOffTiming t;
    t.sendTimeoutMs = 2000;
    t.retryMs = 20;
    t.giveUpMs = giveUpMs;
    return t;
}

} // namespace

TEST(AcquireInstance, OnlyOneCopyRuns)
{
    TestNames names;
    WaitingCopy waiting(names.mutex);
    {
        InstanceLock first;
        ASSERT_TRUE(AcquireInstance(names.Get(), first));
        EXPECT_TRUE(first.owned());
        EXPECT_FALSE(FreeForAnotherThread(names.mutex.c_str()));
    }
    EXPECT_TRUE(FreeForAnotherThread(names.mutex.c_str())) << "let go when the lock ends";
}

// Copies waiting for their turn keep the mutex alive: being there must not count as running.
TEST(AcquireInstance, AMutexThatOnlyWaitersHoldIsFree)
{
    TestNames names;
    HANDLE waiter = CreateMutexA(nullptr, FALSE, names.mutex.c_str());
    InstanceLock lock;
    EXPECT_TRUE(AcquireInstance(names.Get(), lock));
    CloseHandle(waiter);
}

TEST(HandOff, TheRunningWindowTakesThePicture)
{
    struct Row {
        const char* rule;
        int jobResult;
    };
    for (const Row& row : {Row{"a picture made", 1}, Row{"a failed job", 0}}) {
        TestNames names;
        RunningCopy::Options options;
        options.jobResult = row.jobResult;
        RunningCopy copy(names, options);
        InstanceLock lock;
        ASSERT_FALSE(AcquireInstance(names.Get(), lock)) << row.rule;
        const std::string picture = Picture("taken");
        const HandOffResult result = HandOffToRunningCopy(picture, names.Get(), lock, Quick());
        EXPECT_TRUE(result.taken) << row.rule;
        EXPECT_EQ(result.jobResult, row.jobResult) << row.rule;
        EXPECT_EQ(copy.Processed(), std::vector<std::string>{picture}) << row.rule;
        EXPECT_FALSE(lock.owned()) << row.rule;
    }
}

TEST(HandOff, ABusyWindowIsAskedAgain)
{
    TestNames names;
    RunningCopy::Options options;
    options.busyAnswers = 3;
    RunningCopy copy(names, options);
    InstanceLock lock;
    ASSERT_FALSE(AcquireInstance(names.Get(), lock));
    const std::string picture = Picture("busy");
    const HandOffResult result = HandOffToRunningCopy(picture, names.Get(), lock, Quick());
    EXPECT_TRUE(result.taken);
    EXPECT_EQ(copy.messages(), 4);
    EXPECT_EQ(copy.Processed(), std::vector<std::string>{picture}) << "processed once";
}

TEST(HandOff, ACopyWithoutAWindowIsWaitedFor)
{
    struct Row {
        const char* rule;
        bool abandon;
    };
    for (const Row& row : {Row{"it lets go", false}, Row{"it ends holding the mutex", true}}) {
        TestNames names;
        RunningCopy::Options options;
        options.window = false;
        options.endAfterMs = 300;
        options.abandon = row.abandon;
        RunningCopy copy(names, options);
        WaitingCopy waiting(names.mutex);
        {
            InstanceLock lock;
            ASSERT_FALSE(AcquireInstance(names.Get(), lock)) << row.rule;
            const HandOffResult result = HandOffToRunningCopy(Picture("waited"), names.Get(), lock, Quick());
            EXPECT_FALSE(result.taken) << row.rule << ": processed here";
            EXPECT_TRUE(lock.owned()) << row.rule << ": our turn";
            EXPECT_TRUE(copy.ended()) << row.rule << ": not before the other copy ended";
            EXPECT_FALSE(FreeForAnotherThread(names.mutex.c_str())) << row.rule << ": the next copy waits for us";
        }
        EXPECT_TRUE(FreeForAnotherThread(names.mutex.c_str())) << row.rule << ": and gets its turn when we end";
    }
}

TEST(HandOff, AWindowThatClosesLeavesThePictureToUs)
{
    TestNames names;
    RunningCopy::Options options;
    options.busyAnswers = 1000000;
    options.endAfterMs = 300;
    RunningCopy copy(names, options);
    InstanceLock lock;
    ASSERT_FALSE(AcquireInstance(names.Get(), lock));
    const HandOffResult result = HandOffToRunningCopy(Picture("closing"), names.Get(), lock, Quick());
    EXPECT_FALSE(result.taken);
    EXPECT_TRUE(lock.owned());
    EXPECT_GT(copy.messages(), 0);
    EXPECT_TRUE(copy.Processed().empty());
}

TEST(HandOff, GivesUpWaitingInTheEnd)
{
    TestNames names;
    RunningCopy::Options options;
    options.window = false;
    RunningCopy copy(names, options);
    InstanceLock lock;
    ASSERT_FALSE(AcquireInstance(names.Get(), lock));
    const DWORD start = GetTickCount();
    const HandOffResult result = HandOffToRunningCopy(Picture("stuck"), names.Get(), lock, Quick(400));
    const DWORD waited = GetTickCount() - start;
    EXPECT_FALSE(result.taken);
    EXPECT_FALSE(lock.owned());
    EXPECT_GE(waited, 380u);
    // Far short of the hour a start waits by default, however loaded the machine.
    EXPECT_LT(waited, 60000u);
}

TEST(HandleCopyData, AnswersOnlyItsOwnRequests)
{
    int processed = 0;
    HandOffTarget target;
    target.process = [&](const std::string&) { return ++processed, 1; };
    const std::string good = EncodeHandOff({"test.1", Picture("direct")});
    COPYDATASTRUCT data{kHandOffTag, static_cast<DWORD>(good.size()), const_cast<char*>(good.data())};

    COPYDATASTRUCT foreign = data;
    foreign.dwData = 1;
    EXPECT_EQ(HandleCopyData(&foreign, target), kHandOffNotTaken) << "another program's tag";
    const std::string bad = "VARBO-HANDOFF\nx\ny";
    COPYDATASTRUCT malformed{kHandOffTag, static_cast<DWORD>(bad.size()), const_cast<char*>(bad.data())};
    EXPECT_EQ(HandleCopyData(&malformed, target), kHandOffNotTaken) << "a one-character picture";
    EXPECT_EQ(HandleCopyData(nullptr, target), kHandOffNotTaken);
    EXPECT_EQ(processed, 0);

    target.busy = true;
    EXPECT_EQ(HandleCopyData(&data, target), kHandOffBusy);
    target.busy = false;
    EXPECT_EQ(HandleCopyData(&data, target), kHandOffDone);
    EXPECT_EQ(HandleCopyData(&data, target), kHandOffDone) << "sent again after a time-out: answered from memory";
    EXPECT_EQ(processed, 1);
}

TEST(HandleCopyData, APictureArrivingDuringAnotherIsAskedForAgain)
{
    const std::string outer = EncodeHandOff({"test.2", Picture("outer")});
    const std::string inner = EncodeHandOff({"test.3", Picture("inner")});
    COPYDATASTRUCT outerData{kHandOffTag, static_cast<DWORD>(outer.size()), const_cast<char*>(outer.data())};
    COPYDATASTRUCT innerData{kHandOffTag, static_cast<DWORD>(inner.size()), const_cast<char*>(inner.data())};
    LRESULT innerReply = -1;
    HandOffTarget target;
    target.process = [&](const std::string&) {
        // A message box inside the job lets the next picture in.
        innerReply = HandleCopyData(&innerData, target);
        return 0;
    };
    EXPECT_EQ(HandleCopyData(&outerData, target), kHandOffFailed);
    EXPECT_EQ(innerReply, kHandOffBusy);

    HandOffTarget throwing;
    throwing.process = [](const std::string&) -> int { throw std::runtime_error("out of memory"); };
    EXPECT_EQ(HandleCopyData(&innerData, throwing), kHandOffFailed) << "no exception leaves the window procedure";
}
