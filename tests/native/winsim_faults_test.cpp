// The simulated machine's faults, on which the fault sweep and every failure
// test rely: the nth matching call fails with its error, and only that one.
#include "program_run.h"

#include "res/resource.h"

#include <gtest/gtest.h>

TEST(WinsimFaults, TheNthMatchingCallFailsWithItsError)
{
    tests::ProgramRun run;
    run.Then([](HWND dialog) {
        // Calls count from the moment the fault is set.
        winsim::AddFault({"SetDlgItemTextA", "", "", 2, 1400, false});
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_STATUS, "one"));
        SetLastError(0);
        EXPECT_FALSE(SetDlgItemTextA(dialog, IDC_STATUS, "two"));
        EXPECT_EQ(GetLastError(), 1400u);
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_STATUS, "three"));
        EXPECT_EQ(winsim::Text(winsim::DialogItem(dialog, IDC_STATUS)), "three");
    });
    run.Run();
}
