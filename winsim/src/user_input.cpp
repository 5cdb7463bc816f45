// The user at the keyboard and mouse, and a view of the windows for tests.
#include "windows.h"

namespace winsim {

namespace {

Window& Require(HWND handle, const char* what)
{
    Window* w = FindWindowRecord(handle);
    if (!w)
        HarnessError(std::string("no such window for ") + what);
    return *w;
}

// A window takes input only when it and its dialog are enabled.
bool TakesInput(const Window& w)
{
    if (!w.enabled)
        return false;
    const Window* dialog = w.parent ? FindWindowRecord(w.parent) : nullptr;
    return !dialog || dialog->enabled;
}

bool IsDefaultPushButton(const Window& w)
{
    return w.className == "Button" && (w.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

void SendButtonDownUp(HWND dialog)
{
    LPARAM point = MAKELPARAM(10, 10);
    Deliver(dialog, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Deliver(dialog, WM_LBUTTONUP, 0, point);
}

} // namespace

LRESULT DeliverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Deliver(window, message, wParam, lParam);
}

void UserClick(HWND control)
{
    Window& w = Require(control, "a click");
    if (!TakesInput(w))
        return;
    if (w.isDialog) {
        SendButtonDownUp(control);
        return;
    }
    if (w.className == "Button") {
        if ((w.style & BS_TYPEMASK) == BS_GROUPBOX) {
            SendButtonDownUp(w.parent);
            return;
        }
        M().focus = control;
        Deliver(control, BM_CLICK, 0, 0);
    } else if (w.className == "Static") {
        // Statics without click notification let the mouse through.
        if (w.style & SS_NOTIFY)
            Notify(w, STN_CLICKED);
        else
            SendButtonDownUp(w.parent);
    } else {
        M().focus = control;
    }
}

void UserClickAnywhere(HWND dialog)
{
    Window& w = Require(dialog, "a click");
    if (TakesInput(w))
        SendButtonDownUp(dialog);
}

void UserEnter(HWND dialog)
{
    Window& d = Require(dialog, "Enter");
    if (!d.enabled)
        return;
    // A focused default push button takes Enter itself; otherwise the
    // dialog's default button, whichever control has the focus.
    Window* focused = FindWindowRecord(M().focus);
    if (focused && focused->parent == dialog && IsDefaultPushButton(*focused) && focused->enabled) {
        Notify(*focused, BN_CLICKED);
        return;
    }
    LRESULT def = Deliver(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) {
        Window* button = FindWindowRecord(ChildById(*FindWindowRecord(dialog), LOWORD(def)));
        if (button && !button->enabled)
            return;
        Deliver(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED),
                (LPARAM)(button ? button->handle : nullptr));
        return;
    }
    Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)ChildById(d, IDOK));
}

void UserEscape(HWND dialog)
{
    Window& d = Require(dialog, "Escape");
    if (d.enabled)
        Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                (LPARAM)ChildById(d, IDCANCEL));
}

void UserClose(HWND dialog)
{
    Window& d = Require(dialog, "the close box");
    if ((d.style & WS_CAPTION) != WS_CAPTION || !(d.style & WS_SYSMENU))
        HarnessError("dialog " + std::to_string(d.templateId) + " has no close box");
    if (d.enabled)
        Deliver(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool UserSelect(HWND comboBox, int position)
{
    Window& w = Require(comboBox, "a selection");
    if (position < 0 || (std::size_t)position >= w.items.size())
        return false;
    if (!TakesInput(w))
        return true;
    M().focus = comboBox;
    w.selection = position;
    Notify(w, CBN_SELCHANGE);
    Notify(w, CBN_SELENDOK);
    return true;
}

void UserType(HWND edit, const std::string& text)
{
    Window& w = Require(edit, "typing");
    if (!TakesInput(w))
        return;
    M().focus = edit;
    if (w.style & ES_READONLY)
        return;
    if (!w.text.empty()) {
        w.text.clear();
        NotifyTextSet(w);
        Notify(w, EN_UPDATE);
        Notify(w, EN_CHANGE);
    }
    for (char c : text) {
        Window* current = FindWindowRecord(edit);
        if (!current)
            return;
        if (current->text.size() >= current->textLimit) {
            Notify(*current, EN_MAXTEXT);
            continue;
        }
        current->text.push_back(c);
        NotifyTextSet(*current);
        Notify(*current, EN_UPDATE);
        Notify(*current, EN_CHANGE);
    }
}

bool IsOpen(HWND dialog)
{
    Window* w = FindWindowRecord(dialog);
    return w && w->isDialog && !w->ended;
}

int DialogTemplateId(HWND dialog)
{
    Window* w = FindWindowRecord(dialog);
    return w ? w->templateId : 0;
}

std::vector<HWND> Children(HWND dialog)
{
    Window* w = FindWindowRecord(dialog);
    return w ? w->children : std::vector<HWND>();
}

int Id(HWND window)
{
    return Require(window, "its id").id;
}

std::string ClassName(HWND window)
{
    return Require(window, "its class").className;
}

DWORD Style(HWND window)
{
    return Require(window, "its style").style;
}

DWORD ExStyle(HWND window)
{
    return Require(window, "its style").exStyle;
}

std::string Text(HWND window)
{
    Window& w = Require(window, "its text");
    if (w.className == "ComboBox")
        return w.selection >= 0 ? w.items[w.selection].text : "";
    return w.text;
}

DialogUnits Rect(HWND window)
{
    return Require(window, "its rectangle").rect;
}

HWND Owner(HWND window)
{
    return Require(window, "its owner").owner;
}

HWND Parent(HWND window)
{
    return Require(window, "its parent").parent;
}

HWND DialogItem(HWND dialog, int id)
{
    Window* w = FindWindowRecord(dialog);
    return w ? ChildById(*w, id) : nullptr;
}

bool Enabled(HWND window)
{
    return Require(window, "its state").enabled;
}

int ComboSelection(HWND comboBox)
{
    return Require(comboBox, "its selection").selection;
}

HICON WindowIcon(HWND window, int which)
{
    Window& w = Require(window, "its icon");
    return which == ICON_BIG ? w.iconBig : w.iconSmall;
}

HANDLE StaticImage(HWND control)
{
    return Require(control, "its image").image;
}

DialogFont Font(HWND dialog)
{
    return Require(dialog, "its font").font;
}

std::vector<std::string> ComboItems(HWND comboBox)
{
    std::vector<std::string> texts;
    for (const auto& item : Require(comboBox, "its items").items)
        texts.push_back(item.text);
    return texts;
}

std::vector<LPARAM> ComboItemData(HWND comboBox)
{
    std::vector<LPARAM> data;
    for (const auto& item : Require(comboBox, "its items").items)
        data.push_back(item.data);
    return data;
}

const Resource* ImageResource(HANDLE image)
{
    auto it = M().images.find((UINT_PTR)image);
    return it == M().images.end() ? nullptr : it->second.resource;
}

bool IsSystemCursor(HCURSOR cursor, LPCSTR id)
{
    auto it = M().images.find((UINT_PTR)cursor);
    return it != M().images.end() && !it->second.resource &&
           it->second.systemId == (int)(ULONG_PTR)id;
}

} // namespace winsim
