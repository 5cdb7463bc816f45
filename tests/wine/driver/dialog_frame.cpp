#include "dialog_frame.h"

#include "window_facts.h"

#include <gtest/gtest.h>

#include <cstdlib>

void ExpectSizeAndCentre(HWND dialog, const TemplateDialog& units, int cx, int cy)
{
    RECT client = {};
    GetClientRect(dialog, &client);
    EXPECT_EQ(Describe(client), Describe(units.ToPixels(0, 0, cx, cy)))
        << "client area, " << cx << " x " << cy << " DU";
    RECT window = {};
    RECT work = {};
    GetWindowRect(dialog, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int dx = (window.left + window.right) - (work.left + work.right);
    int dy = (window.top + window.bottom) - (work.top + work.bottom);
    EXPECT_TRUE(std::abs(dx) <= 2 && std::abs(dy) <= 2)
        << "not centred: window " << Describe(window) << " in work area " << Describe(work);
}
