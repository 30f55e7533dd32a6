#pragma once
// How many GDI and USER objects this process holds, for the run log that long
// test runs read: a handle that leaks shows as a count that never comes back.
#include <string>

struct GuiObjectCounts {
    long gdi = -1;   // -1: not known
    long user = -1;
};

// The system's own counts (GetGuiResources). Where the system does not keep
// them (Wine answers "not implemented"), the GDI count comes from the
// process's GDI handle table and the USER count is the process's windows.
GuiObjectCounts CountGuiObjects();

// With VARBO_TEST_RUNS naming a file, each batch run appends one line to it
// when it ends: "run<TAB>made N<TAB>gdi S P E<TAB>user S P E", the counts at
// the run's start, their peak during the run and at its end.
class RunObjectLog {
public:
    RunObjectLog();  // the counts at the start, when the log is on
    void Sample();   // a point during the run (cheap when the log is off)
    void End(int made);
private:
    std::string path_;
    GuiObjectCounts start_, peak_;
};
