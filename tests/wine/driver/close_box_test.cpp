// The close box ends the real tarnwick.exe as Escape does.
#include "driver_options.h"
#include "program_run.h"
#include "window_finder.h"

#include <gtest/gtest.h>

TEST(CloseBox, EndsTheProgramWithExitCodeZero)
{
    ProgramRun run(Options().program);
    ASSERT_TRUE(run.Started()) << run.Error();
    HWND dialog = WaitForDialog(run.Id(), nullptr, "Tarnwick", 15000);
    ASSERT_NE(dialog, nullptr) << "no dialog \"Tarnwick\" appeared";
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 0;
    ASSERT_TRUE(run.WaitForExit(10000, &exitCode)) << "still running 10 s after SC_CLOSE";
    EXPECT_EQ(exitCode, 0u);
}
