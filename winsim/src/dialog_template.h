// Reading a dialog template (DLGTEMPLATE or DLGTEMPLATEEX) as the dialog
// manager does.
#ifndef WINSIM_DIALOG_TEMPLATE_H
#define WINSIM_DIALOG_TEMPLATE_H

#include "winsim/win32_types.h"

#include <string>
#include <vector>

namespace winsim {

// A text or an ordinal, as templates give class names, titles and menus.
struct SzOrOrd {
    int ordinal = -1; // -1: text
    std::string text;
};

struct DialogItemTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className; // canonical: "Button", "Edit", "Static", ... or as given
    SzOrOrd title;
};

struct DialogTemplate {
    bool extended = false;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    SzOrOrd menu;
    SzOrOrd windowClass;
    std::string title;
    int pointSize = 0;
    int weight = 0;
    bool italic = false;
    int charset = 0;
    std::string face;
    std::vector<DialogItemTemplate> items;
};

// False and a message when the template is malformed or truncated.
bool ParseDialogTemplate(const std::vector<unsigned char>& data, DialogTemplate& out,
                         std::string& error);

} // namespace winsim

#endif
