// The main dialog's behaviour: start-up, commands, the status line and the
// About box. Its label limit and progress reports are played through
// tarnwick-sim.
#include "disk_fixture.h"

#include "app/dialogs.h"
#include "app/ui.h"
#include "res/resource.h"

#include <gtest/gtest.h>

using tests::ProgramRun;
using winsim::DialogItem;

TEST(MainDialog, StartsWithItsIconAndHandCursorOptionsUnchecked)
{
    ProgramRun run;
    run.Then([](HWND dialog) {
        EXPECT_EQ(g_hMainDlg, dialog);
        const winsim::Resource* icon = winsim::ImageResource(winsim::WindowIcon(dialog, ICON_BIG));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->nameId, IDI_APP);
        EXPECT_EQ(winsim::WindowIcon(dialog, ICON_SMALL), nullptr);
        for (int box : {IDC_QUICK_FORMAT, IDC_FORCE_DISMOUNT, IDC_KEEP_MBR_CODE, IDC_ENABLE_LBA})
            EXPECT_EQ(IsDlgButtonChecked(dialog, box), (UINT)BST_UNCHECKED);
        // Every static control of the process shows the hand, and only they.
        auto hand = (ULONG_PTR)LoadCursorA(NULL, IDC_HAND);
        for (HWND c : winsim::Children(dialog))
            EXPECT_EQ(GetClassLongPtrA(c, GCLP_HCURSOR) == hand, winsim::ClassName(c) == "Static")
                << winsim::Text(c);
    });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.StatusTexts(), std::vector<std::string>{});
}

// Start on the placeholder, which the disabled button cannot send, does
// nothing at all first.
TEST(MainDialog, EscapeCloseBoxAndIdCloseEndWithZeroAndNoQuestion)
{
    const std::function<void(HWND)> endings[] = {
        [](HWND d) { winsim::UserEscape(d); },
        [](HWND d) { winsim::UserClose(d); },
        [](HWND d) { winsim::DeliverMessage(d, WM_COMMAND, IDCLOSE, 0); },
        // Only the low word names the command.
        [](HWND d) { winsim::DeliverMessage(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x1234), 0); },
    };
    for (const auto& ending : endings) {
        ProgramRun run;
        run.Then([](HWND d) { winsim::DeliverMessage(d, WM_COMMAND, IDOK, 0); });
        run.Then(ending);
        run.Then([](HWND) { ADD_FAILURE() << "the dialog is still open"; });
        EXPECT_EQ(run.Run(), 0);
        EXPECT_EQ(run.Count("box") + run.StatusTexts().size(), 0u);
        const tests::Event& last = run.events.back();
        EXPECT_EQ(last.kind + " " + std::to_string(last.id) + " " + std::to_string(last.value),
                  "dialog-end 101 0");
    }
    ProgramRun failing;
    winsim::AddFault({"DialogBoxParamA", "", "", 1, 8, false});
    EXPECT_EQ(failing.Run(), 0);
    EXPECT_EQ(failing.Count("dialog"), 0);
}

TEST(MainDialog, BannerOpensTheMakersPageAndAFailureIsSilent)
{
    for (bool failing : {false, true}) {
        ProgramRun run;
        if (failing)
            winsim::AddFault({"ShellExecuteA", "", "", 1, 31, false});
        run.Then([](HWND dialog) { winsim::UserClick(DialogItem(dialog, IDC_BANNER)); });
        EXPECT_EQ(run.Run(), 0);
        EXPECT_EQ(run.Count("box"), 0);
        ASSERT_EQ(run.shells.size(), failing ? 0u : 1u);
        for (const winsim::ShellCall& call : run.shells) {
            EXPECT_EQ(call.owner, g_hMainDlg);
            EXPECT_FALSE(call.hasParameters || call.hasDirectory);
            EXPECT_EQ(call.showCommand, SW_SHOW);
        }
    }
}

// A click closes it on the release: a press alone, or Enter, leaves it open.
TEST(AboutBox, ClosesOnEscapeIconOrAnyClickButNotOnEnter)
{
    const std::function<void(HWND)> closings[] = {
        [](HWND about) { winsim::UserEscape(about); },
        [](HWND about) { winsim::UserClick(DialogItem(about, IDC_ABOUT_ICON)); },
        [](HWND about) { winsim::UserClickAnywhere(about); },
        [](HWND about) { winsim::UserClick(winsim::Children(about)[2]); }, // the description
    };
    for (const auto& closing : closings) {
        ProgramRun run;
        run.Then([](HWND dialog) { winsim::UserClick(DialogItem(dialog, IDC_ABOUT)); });
        run.Then([&closing](HWND about) {
            winsim::UserEnter(about);
            winsim::DeliverMessage(about, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            EXPECT_TRUE(winsim::IsOpen(about));
            closing(about);
            EXPECT_FALSE(winsim::IsOpen(about));
        });
        run.Then([](HWND dialog) { EXPECT_EQ(dialog, g_hMainDlg); });
        EXPECT_EQ(run.Run(), 0);
        EXPECT_EQ(run.Count("dialog"), 2);
    }
}

// The template's title is the program's own: only another one shows it is set.
TEST(AboutBox, ShowsTheTitleItsOwnerGives)
{
    ProgramRun run;
    run.Then([](HWND about) {
        EXPECT_EQ(winsim::Text(DialogItem(about, IDC_ABOUT_TITLE)), "Another title");
    });
    ShowAboutBox(nullptr, "Another title");
    EXPECT_EQ(run.Count("dialog"), 1);
}
