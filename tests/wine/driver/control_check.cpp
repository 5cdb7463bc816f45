#include "control_check.h"

#include "window_facts.h"

#include <gtest/gtest.h>

namespace {

std::string Hex(DWORD value)
{
    char text[16];
    wsprintfA(text, "0x%08lx", value);
    return text;
}

void ExpectStyle(HWND control, const ControlRow& row)
{
    DWORD style = GetWindowLongA(control, GWL_STYLE);
    DWORD exStyle = GetWindowLongA(control, GWL_EXSTYLE);
    EXPECT_EQ(Hex(style & row.kindMask), Hex(row.kind)) << "kind bits, style " << Hex(style);
    EXPECT_EQ(Hex(style & row.flags), Hex(row.flags)) << "style bits, style " << Hex(style);
    EXPECT_EQ((style & WS_TABSTOP) != 0, row.tabStop) << "WS_TABSTOP, style " << Hex(style);
    EXPECT_TRUE(style & WS_VISIBLE) << "WS_VISIBLE, style " << Hex(style);
    if (row.border)
        EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE))
            << "a border, style " << Hex(style) << " extended " << Hex(exStyle);
}

void ExpectRect(HWND dialog, HWND control, const TemplateDialog& units, const ControlRow& row)
{
    RECT actual = RectIn(control, dialog);
    RECT expected = units.ToPixels(row.x, row.y, row.cx, row.cy);
    if (row.pixels.cx != 0) {
        expected.right = expected.left + row.pixels.cx;
        expected.bottom = expected.top + row.pixels.cy;
    }
    std::string where = "rectangle in pixels, template " + std::to_string(row.x) + "," +
                        std::to_string(row.y) + "," + std::to_string(row.cx) + "," +
                        std::to_string(row.cy) + " DU";
    if (row.closedCombo) {
        // The closed box's height follows its font, not the template.
        expected.bottom = actual.bottom;
        where += " (height not compared: the closed combo box sizes itself)";
    }
    EXPECT_EQ(Describe(actual), Describe(expected)) << where;
}

} // namespace

void ExpectControls(HWND dialog, const TemplateDialog& units, const std::vector<ControlRow>& rows)
{
    std::vector<HWND> children = ChildrenOf(dialog);
    EXPECT_EQ(children.size(), rows.size()) << "number of controls";
    for (size_t i = 0; i < rows.size() && i < children.size(); i++) {
        const ControlRow& row = rows[i];
        HWND control = children[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " of the tab order, " + row.name);
        EXPECT_EQ(GetDlgCtrlID(control), row.id) << "id";
        EXPECT_STRCASEEQ(ClassOf(control).c_str(), row.className) << "class";
        ExpectStyle(control, row);
        if (row.text != nullptr)
            EXPECT_EQ(TextOf(control), row.text) << "text";
        ExpectRect(dialog, control, units, row);
    }
}
