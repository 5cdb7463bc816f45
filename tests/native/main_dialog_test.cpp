// The main dialog's behaviour: start-up, commands, the label box, the status
// line, progress reports and the About box.
#include "program_run.h"

#include "app/ui.h"
#include "res/resource.h"
#include "volume/format.h"

#include <gtest/gtest.h>

namespace {

using tests::ProgramRun;

// Puts a usable disk item into the list, as the disk list will.
void OfferDisk(HWND dialog, const char* text, int driveNumber)
{
    HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
    LRESULT at = winsim::DeliverMessage(list, CB_ADDSTRING, 0, (LPARAM)text);
    winsim::DeliverMessage(list, CB_SETITEMDATA, (WPARAM)at, driveNumber);
    winsim::DeliverMessage(list, CB_SETCURSEL, (WPARAM)at, 0);
    EnableWindow(winsim::DialogItem(dialog, IDOK), TRUE);
}

std::string Label(HWND dialog)
{
    return winsim::Text(winsim::DialogItem(dialog, IDC_LABEL));
}

} // namespace

TEST(MainDialog, StartsWithItsIconLimitCursorAndEmptyList)
{
    ProgramRun run;
    run.Then([](HWND dialog) {
        EXPECT_EQ(g_hMainDlg, dialog);
        HICON icon = winsim::WindowIcon(dialog, ICON_BIG);
        const winsim::Resource* r = winsim::ImageResource(icon);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->nameId, IDI_APP);
        EXPECT_EQ(winsim::WindowIcon(dialog, ICON_SMALL), nullptr);
        HWND label = winsim::DialogItem(dialog, IDC_LABEL);
        EXPECT_EQ(winsim::DeliverMessage(label, EM_GETLIMITTEXT, 0, 0), 11);
        HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
        EXPECT_EQ(winsim::ComboItems(list), std::vector<std::string>{"    No USB Disks Found!"});
        EXPECT_EQ(winsim::ComboItemData(list), std::vector<LPARAM>{-1});
        EXPECT_EQ(winsim::ComboSelection(list), 0);
        EXPECT_FALSE(winsim::Enabled(winsim::DialogItem(dialog, IDOK)));
        EXPECT_EQ(Label(dialog), "");
        EXPECT_EQ(winsim::Text(winsim::DialogItem(dialog, IDC_STATUS)), "");
        for (int box : {IDC_QUICK_FORMAT, IDC_FORCE_DISMOUNT, IDC_KEEP_MBR_CODE, IDC_ENABLE_LBA})
            EXPECT_EQ(IsDlgButtonChecked(dialog, box), (UINT)BST_UNCHECKED);
    });
    EXPECT_EQ(run.Run(), 0);
}

TEST(MainDialog, HandCursorReachesEveryStaticControl)
{
    ProgramRun run;
    run.Then([](HWND main) {
        HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
        for (HWND c : winsim::Children(main))
            if (winsim::ClassName(c) == "Static")
                EXPECT_EQ(GetClassLongPtrA(c, GCLP_HCURSOR), (ULONG_PTR)hand)
                    << winsim::Text(c);
        // Buttons and edit boxes keep their own cursors.
        EXPECT_NE(GetClassLongPtrA(winsim::DialogItem(main, IDC_LABEL), GCLP_HCURSOR),
                  (ULONG_PTR)hand);
        winsim::UserClick(winsim::DialogItem(main, IDC_ABOUT));
    });
    run.Then([](HWND about) {
        HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
        for (HWND c : winsim::Children(about))
            EXPECT_EQ(GetClassLongPtrA(c, GCLP_HCURSOR), (ULONG_PTR)hand);
        winsim::UserEscape(about);
    });
    EXPECT_EQ(run.Run(), 0);
}

TEST(MainDialog, LabelBoxTakesElevenCharactersAndKeepsThemAcrossSelections)
{
    ProgramRun run;
    run.Then([](HWND dialog) {
        OfferDisk(dialog, "Stick A 64Mb", 1);
        OfferDisk(dialog, "Stick B 128Mb", 2);
        winsim::UserType(winsim::DialogItem(dialog, IDC_LABEL), "ABCDEFGHIJKL");
        EXPECT_EQ(Label(dialog), "ABCDEFGHIJK");
        ASSERT_TRUE(winsim::UserSelect(winsim::DialogItem(dialog, IDC_DISK_LIST), 0));
        EXPECT_EQ(Label(dialog), "ABCDEFGHIJK");
        EXPECT_TRUE(winsim::Enabled(winsim::DialogItem(dialog, IDOK)));
    });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Count("box"), 0);
}

TEST(MainDialog, EnterInTheLabelBoxRunsStart)
{
    ProgramRun run;
    run.Answer(IDNO);
    run.Then([](HWND dialog) {
        OfferDisk(dialog, "Stick 64Mb", 1);
        SetDlgItemTextA(dialog, IDC_STATUS, "left over");
        winsim::UserType(winsim::DialogItem(dialog, IDC_LABEL), "DOSBOOT");
        winsim::UserEnter(dialog);
    });
    EXPECT_EQ(run.Run(), 0);
    // Start asks first; after No there is no other box and the line is cleared.
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].type, (UINT)(MB_ICONWARNING | MB_YESNO));
    EXPECT_EQ(run.StatusTexts(), (std::vector<std::string>{"left over", ""}));
}

TEST(MainDialog, StartOnThePlaceholderDoesNothing)
{
    ProgramRun run;
    run.Then([](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_STATUS, "left over");
        // The button is disabled; the command can still arrive, as Enter would send it.
        winsim::DeliverMessage(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        winsim::UserEnter(dialog);
        winsim::UserClick(winsim::DialogItem(dialog, IDOK));
    });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Count("box"), 0);
    EXPECT_EQ(run.StatusTexts(), std::vector<std::string>{"left over"});
}

TEST(MainDialog, ProgressReportsWriteTheStatusLine)
{
    ProgramRun run;
    run.Then([](HWND dialog) {
        BYTE proceed = TRUE;
        for (DWORD percent : {0u, 37u, 100u, 0xFFFFFFFFu})
            winsim::DeliverMessage(dialog, WM_FORMAT_PROGRESS, percent, (LPARAM)&proceed);
        EXPECT_EQ(proceed, TRUE);
    });
    int updatesBefore = winsim::CallCount("UpdateWindow");
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.StatusTexts(),
              (std::vector<std::string>{"Formating...(0%)", "Formating...(37%)",
                                        "Formating...(100%)", "Formating...(-1%)"}));
    EXPECT_EQ(winsim::CallCount("UpdateWindow") - updatesBefore, 8);
}

TEST(MainDialog, EscapeCloseBoxAndIdCloseEndWithZeroAndNoQuestion)
{
    std::vector<std::function<void(HWND)>> endings = {
        [](HWND d) { winsim::UserEscape(d); },
        [](HWND d) { winsim::UserClose(d); },
        [](HWND d) { winsim::DeliverMessage(d, WM_COMMAND, IDCLOSE, 0); },
        // Only the low word names the command.
        [](HWND d) { winsim::DeliverMessage(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x1234), 0); },
    };
    for (std::size_t i = 0; i < endings.size(); i++) {
        SCOPED_TRACE("ending " + std::to_string(i));
        ProgramRun run;
        run.Then(endings[i]);
        run.Then([](HWND) { ADD_FAILURE() << "the dialog is still open"; });
        EXPECT_EQ(run.Run(), 0);
        EXPECT_EQ(run.Count("box"), 0);
        ASSERT_EQ(run.events.back().kind, "dialog-end");
        EXPECT_EQ(run.events.back().id, IDD_MAIN);
        EXPECT_EQ(run.events.back().value, 0);
    }
}

TEST(MainDialog, BannerOpensTheMakersPageAndAFailureIsSilent)
{
    for (bool failing : {false, true}) {
        ProgramRun run;
        if (failing)
            winsim::AddFault({"ShellExecuteA", "", "", 1, 31, false});
        HWND main = nullptr;
        run.Then([&main](HWND dialog) {
            main = dialog;
            winsim::UserClick(winsim::DialogItem(dialog, IDC_BANNER));
        });
        EXPECT_EQ(run.Run(), 0);
        EXPECT_EQ(run.Count("box"), 0);
        ASSERT_EQ(run.shells.size(), failing ? 0u : 1u);
        if (!failing) {
            const winsim::ShellCall& call = run.shells[0];
            EXPECT_EQ(call.owner, main);
            EXPECT_EQ(call.verb, "open");
            EXPECT_EQ(call.file.rfind("https://", 0), 0u) << call.file;
            EXPECT_FALSE(call.hasParameters);
            EXPECT_FALSE(call.hasDirectory);
            EXPECT_EQ(call.showCommand, SW_SHOW);
        }
    }
}

TEST(MainDialog, FailingDialogStillExitsWithZero)
{
    ProgramRun run;
    winsim::AddFault({"DialogBoxParamA", "", "", 1, 8, false});
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Count("dialog"), 0);
}

TEST(AboutBox, ClosesOnEscapeIconOrAnyClickButNotOnEnter)
{
    std::vector<std::function<void(HWND)>> closings = {
        [](HWND about) { winsim::UserEscape(about); },
        [](HWND about) { winsim::UserClick(winsim::DialogItem(about, IDC_ABOUT_ICON)); },
        [](HWND about) { winsim::UserClickAnywhere(about); },
        [](HWND about) { winsim::UserClick(winsim::Children(about)[2]); }, // the description
    };
    for (std::size_t i = 0; i < closings.size(); i++) {
        SCOPED_TRACE("closing " + std::to_string(i));
        ProgramRun run;
        HWND main = nullptr;
        run.Then([&main](HWND dialog) {
            main = dialog;
            winsim::UserClick(winsim::DialogItem(dialog, IDC_ABOUT));
        });
        run.Then([&main](HWND about) {
            EXPECT_EQ(winsim::Owner(about), main);
            EXPECT_FALSE(winsim::Enabled(main));
            EXPECT_EQ(winsim::Text(winsim::DialogItem(about, IDC_ABOUT_TITLE)), "Tarnwick");
            winsim::UserEnter(about);
            EXPECT_TRUE(winsim::IsOpen(about));
        });
        run.Then(closings[i]);
        run.Then([&main](HWND dialog) {
            EXPECT_EQ(dialog, main);
            EXPECT_TRUE(winsim::Enabled(main));
            winsim::UserEscape(dialog);
        });
        EXPECT_EQ(run.Run(), 0);
        std::vector<std::string> kinds;
        for (const auto& e : run.events)
            if (e.kind == "dialog" || e.kind == "dialog-end")
                kinds.push_back(e.kind + " " + std::to_string(e.id));
        EXPECT_EQ(kinds, (std::vector<std::string>{"dialog 101", "dialog 110", "dialog-end 110",
                                                   "dialog-end 101"}));
    }
}
