// The driver: runs the real tarnwick.exe and works its windows from another
// process, as a user would, for what only the real program on real USER32
// shows: it starts, its images load, real input reaches its dialogs, it
// exits; and screenshots of both dialogs.
#include "res/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string g_program;     // tarnwick.exe
std::string g_screenshots; // the folder tools/wine-test.sh watches

// Polls every 50 ms until done() or the time is up; done()'s last answer.
template <typename Done>
bool WaitUntil(DWORD timeoutMs, Done done)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50, Sleep(50))
        if (done())
            return true;
    return done();
}

// One run of tarnwick.exe, terminated at destruction if still running.
struct ProgramRun {
    ProgramRun()
    {
        std::string commandLine = "\"" + g_program + "\"";
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(g_program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            ADD_FAILURE() << "CreateProcess(" << g_program << "), error " << GetLastError();
            return;
        }
        CloseHandle(info.hThread);
        process = info.hProcess;
    }

    ~ProgramRun()
    {
        if (process == nullptr)
            return;
        TerminateProcess(process, 99); // fails harmlessly once it has exited
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }

    HANDLE process = nullptr;
};

// A visible dialog with that owner and, unless null, title. The prefix runs
// no other program.
HWND WaitForDialog(HWND owner, const char* title)
{
    HWND found = nullptr;
    WaitUntil(15000, [&] {
        while ((found = FindWindowExA(nullptr, found, "#32770", title)) != nullptr)
            if (IsWindowVisible(found) && GetWindow(found, GW_OWNER) == owner)
                return true;
        return false;
    });
    return found;
}

// "WIDTH x HEIGHT" in pixels: image statics size themselves to their image.
std::string SizeOf(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

void PressEscape(HWND window)
{
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// A real left click (SendInput) at its middle.
bool ClickOn(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    INPUT clicks[2] = {{INPUT_MOUSE}, {INPUT_MOUSE}};
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2) &&
           SendInput(2, clicks, sizeof(INPUT)) == 2;
}

// Has tools/wine-test.sh shoot the window as name.png; empty on success,
// else what went wrong. NAME.request ("WIDTH HEIGHT X Y") is renamed into
// place, so the script never reads half of one.
std::string TakeScreenshot(const std::string& name, HWND window)
{
    const std::string base = g_screenshots + "\\" + name;
    for (const char* suffix : {".png", ".done", ".failed"})
        DeleteFileA((base + suffix).c_str());
    DWORD_PTR ignored = 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(300); // painted: the thread has handled everything sent before
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::ofstream(base + ".tmp") << rect.right - rect.left << ' ' << rect.bottom - rect.top
                                 << ' ' << rect.left << ' ' << rect.top << '\n';
    if (!MoveFileExA((base + ".tmp").c_str(), (base + ".request").c_str(),
                     MOVEFILE_REPLACE_EXISTING))
        return "cannot write " + base + ".request";
    for (int waited = 0; waited < 300; waited++, Sleep(100)) {
        if (GetFileAttributesA((base + ".failed").c_str()) != INVALID_FILE_ATTRIBUTES)
            return "the shot of " + base + ".png failed (see " + name + ".log)";
        if (DeleteFileA((base + ".done").c_str()))
            return "";
    }
    return "no answer to " + base + ".request (is tools/wine-test.sh watching?)";
}

// A user's session: the dialogs as real USER32 shows them, the About box
// closed by real input each way, then Escape ends the program.
TEST(Driver, AUserSessionFromStartToExit)
{
    ProgramRun run;
    HWND main = WaitForDialog(nullptr, "Tarnwick");
    ASSERT_NE(main, nullptr) << "no dialog \"Tarnwick\" appeared";
    EXPECT_EQ(SizeOf(GetDlgItem(main, IDC_BANNER)), "384 x 58") << "banner";
    EXPECT_EQ(TakeScreenshot("main", main), "");
    // The icon notifies; the description lets the click through to the box.
    const char* const ways[] = {"Escape", "a click on the icon", "a click on the description"};
    for (int way = 0; way < 3; way++) {
        SCOPED_TRACE(ways[way]);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_ABOUT)));
        HWND about = WaitForDialog(main, nullptr);
        ASSERT_NE(about, nullptr) << "no About box owned by the main dialog appeared";
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main dialog takes input under the box";
        HWND icon = GetDlgItem(about, IDC_ABOUT_ICON), title = GetDlgItem(about, IDC_ABOUT_TITLE);
        if (way == 0) {
            EXPECT_EQ(SizeOf(icon), "32 x 32") << "About icon";
            EXPECT_EQ(TakeScreenshot("about", about), "");
            PressEscape(about);
        } else {
            ASSERT_TRUE(ClickOn(way == 1 ? icon : GetWindow(title, GW_HWNDNEXT))) << "SendInput";
        }
        ASSERT_TRUE(WaitUntil(5000, [about] { return !IsWindowVisible(about); }))
            << "the About box stayed open";
        EXPECT_TRUE(IsWindowVisible(main) && IsWindowEnabled(main)) << "main dialog unusable";
    }
    PressEscape(main);
    DWORD code = 99;
    ASSERT_EQ(WaitForSingleObject(run.process, 10000), WAIT_OBJECT_0) << "still running after 10 s";
    GetExitCodeProcess(run.process, &code);
    EXPECT_EQ(code, 0u);
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3 || argv[1][0] != '/' || argv[2][0] != '/') {
        std::fprintf(stderr, "usage: %s /TARNWICK.EXE /SCREENSHOT-DIR\n", argv[0]);
        return 2;
    }
    // Wine shows the Unix file system as drive Z:.
    g_program = std::string("Z:") + argv[1];
    g_screenshots = std::string("Z:") + argv[2];
    return RUN_ALL_TESTS();
}
