// USER32: modal dialogs from templates, window text and state, message
// boxes, icons, cursors and class data.
#include "dialog_template.h"
#include "res_file.h"
#include "windows.h"

#include <cstring>

namespace winsim {

namespace {

const int kRtDialog = 5;
const int kRtGroupIcon = 14;
const int kRtBitmap = 2;
const int kRtGroupCursor = 12;

Window* DialogRecord(HWND handle)
{
    Window* w = FindWindowRecord(handle);
    return w && w->isDialog ? w : nullptr;
}

bool TakesTabStop(const Window& w)
{
    return (w.style & WS_TABSTOP) && (w.style & WS_VISIBLE) && w.enabled;
}

HWND FirstTabStop(const Window& dialog)
{
    for (HWND child : dialog.children)
        if (TakesTabStop(*FindWindowRecord(child)))
            return child;
    return nullptr;
}

HANDLE LoadImageFromTemplate(const DialogItemTemplate& item)
{
    if (item.className != "Static" || item.title.ordinal < 0)
        return nullptr;
    DWORD type = item.style & SS_TYPEMASK;
    const auto& resources = M().programResources;
    LPCSTR name = MAKEINTRESOURCEA(item.title.ordinal);
    if (type == SS_ICON) {
        const Resource* r = FindResourceIn(resources, name, MAKEINTRESOURCEA(kRtGroupIcon));
        return r ? ImageHandle("icon:" + std::to_string(item.title.ordinal), r, 0) : nullptr;
    }
    if (type == SS_BITMAP) {
        const Resource* r = FindResourceIn(resources, name, MAKEINTRESOURCEA(kRtBitmap));
        return r ? ImageHandle("bitmap:" + std::to_string(item.title.ordinal), r, 0) : nullptr;
    }
    return nullptr;
}

Window& CreateDialogWindow(const DialogTemplate& t, int templateId, HWND owner, DLGPROC proc)
{
    Window& dialog = NewWindow();
    dialog.isDialog = true;
    dialog.className = "#32770";
    dialog.style = t.style;
    dialog.exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    dialog.text = t.title;
    dialog.rect = {t.x, t.y, t.cx, t.cy};
    dialog.font = {t.pointSize, t.weight, t.face};
    dialog.owner = owner;
    dialog.proc = proc;
    dialog.templateId = templateId;
    dialog.enabled = !(t.style & WS_DISABLED);
    for (const auto& item : t.items) {
        Window& control = NewWindow();
        control.parent = dialog.handle;
        control.id = item.id;
        control.className = item.className;
        control.style = item.style | WS_CHILD;
        control.exStyle = item.exStyle;
        control.rect = {item.x, item.y, item.cx, item.cy};
        control.enabled = !(item.style & WS_DISABLED);
        if (item.title.ordinal < 0 && control.className != "ComboBox")
            control.text = item.title.text;
        control.image = LoadImageFromTemplate(item);
        dialog.children.push_back(control.handle);
    }
    return dialog;
}

void DestroyDialog(HWND handle)
{
    Window* dialog = FindWindowRecord(handle);
    if (!dialog)
        return;
    Deliver(handle, WM_DESTROY, 0, 0);
    for (HWND child : dialog->children)
        M().windows.erase((UINT_PTR)child);
    M().windows.erase((UINT_PTR)handle);
}

// Runs the dialog's modal loop: the user's inputs until EndDialog.
void RunModalLoop(HWND handle)
{
    Machine& m = M();
    for (;;) {
        Window* dialog = FindWindowRecord(handle);
        if (dialog->ended)
            return;
        DispatchPaints();
        if (m.driver && m.driver(handle))
            continue;
        UserEscape(handle);
        if (!FindWindowRecord(handle)->ended)
            HarnessError("dialog " + std::to_string(dialog->templateId) +
                         " waits for input and does not close on Escape");
    }
}

} // namespace

Window* FindWindowRecord(HWND handle)
{
    auto it = M().windows.find((UINT_PTR)handle);
    return it == M().windows.end() ? nullptr : it->second.get();
}

Window& NewWindow()
{
    Machine& m = M();
    auto w = std::make_unique<Window>();
    w->handle = (HWND)m.nextWindow;
    m.nextWindow += 4;
    Window& ref = *w;
    m.windows[(UINT_PTR)ref.handle] = std::move(w);
    return ref;
}

HWND ChildById(const Window& dialog, int id)
{
    for (HWND child : dialog.children)
        if (FindWindowRecord(child)->id == id)
            return child;
    return nullptr;
}

void NotifyTextSet(Window& window)
{
    if (M().observer)
        M().observer->TextSet(window.handle, window.text);
    TextChanged(window);
}

void Notify(const Window& control, WORD code)
{
    if (control.parent)
        Deliver(control.parent, WM_COMMAND, MAKEWPARAM(control.id, code), (LPARAM)control.handle);
}

HANDLE ImageHandle(const std::string& key, const Resource* resource, int systemId)
{
    Machine& m = M();
    auto found = m.imageByKey.find(key);
    if (found != m.imageByKey.end())
        return found->second;
    HANDLE handle = (HANDLE)m.nextImage;
    m.nextImage += 4;
    m.images[(UINT_PTR)handle] = {resource, systemId};
    m.imageByKey[key] = handle;
    return handle;
}

// The dialog manager's default handling of what a dialog procedure declined.
static LRESULT DialogDefault(Window& dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETICON: {
        HICON& slot = wParam == ICON_BIG ? dialog.iconBig : dialog.iconSmall;
        HICON previous = slot;
        slot = (HICON)lParam;
        return (LRESULT)previous;
    }
    case WM_SETTEXT:
        dialog.text = lParam ? (const char*)lParam : "";
        NotifyTextSet(dialog);
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return ControlProc(dialog, message, wParam, lParam);
    case DM_GETDEFID:
        for (HWND child : dialog.children) {
            const Window& c = *FindWindowRecord(child);
            if (c.className == "Button" && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                return MAKELPARAM(c.id, DC_HASDEFID);
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            Deliver(dialog.handle, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE: {
        HWND cancel = ChildById(dialog, IDCANCEL);
        const Window* button = cancel ? FindWindowRecord(cancel) : nullptr;
        if (!button || button->enabled)
            Deliver(dialog.handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
        return 0;
    }
    default:
        return 0;
    }
}

LRESULT Deliver(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = FindWindowRecord(handle);
    if (!w)
        return 0;
    if (!w->isDialog)
        return ControlProc(*w, message, wParam, lParam);
    INT_PTR handled = w->proc ? w->proc(handle, message, wParam, lParam) : FALSE;
    w = FindWindowRecord(handle);
    if (!w)
        return 0;
    if (handled)
        return message == WM_INITDIALOG ? handled : 0;
    return DialogDefault(*w, message, wParam, lParam);
}

// The window behind a handle, setting the last error for a stale one.
static Window* ValidWindow(HWND handle)
{
    Window* w = FindWindowRecord(handle);
    if (!w)
        M().lastError = ERROR_INVALID_WINDOW_HANDLE;
    return w;
}

// The control of a dialog by id, setting the last error as Windows does.
static HWND DialogChild(HWND dialog, int id)
{
    Window* w = DialogRecord(dialog);
    HWND child = w ? ChildById(*w, id) : nullptr;
    if (!child)
        M().lastError = w ? ERROR_CONTROL_ID_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE;
    return child;
}

HWND TopDialog()
{
    return M().modalStack.empty() ? nullptr : M().modalStack.back();
}

HWND Focus()
{
    return M().focus;
}

} // namespace winsim

using namespace winsim;

extern "C" {

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam)
{
    if (Failing("DialogBoxParamA"))
        return -1;
    Machine& m = M();
    if (instance != ProgramInstance()) {
        m.lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
        return -1;
    }
    const Resource* res =
        FindResourceIn(m.programResources, templateName, MAKEINTRESOURCEA(kRtDialog));
    DialogTemplate t;
    std::string error;
    if (!res) {
        m.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return -1;
    }
    if (!ParseDialogTemplate(res->data, t, error))
        HarnessError("dialog " + std::to_string(res->nameId) + ": " + error);
    if (owner && !FindWindowRecord(owner)) {
        m.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return -1;
    }

    int templateId = IS_INTRESOURCE(templateName) ? (int)(ULONG_PTR)templateName : res->nameId;
    HWND handle = CreateDialogWindow(t, templateId, owner, dialogProc).handle;
    // A modal dialog disables its owner while it is up.
    Window* ownerRecord = FindWindowRecord(owner);
    bool reenableOwner = ownerRecord && ownerRecord->enabled;
    if (reenableOwner)
        ownerRecord->enabled = false;
    HWND focusBefore = m.focus;
    m.modalStack.push_back(handle);

    Window* dialog = FindWindowRecord(handle);
    HWND firstTabStop = FirstTabStop(*dialog);
    if (Deliver(handle, WM_INITDIALOG, (WPARAM)firstTabStop, initParam))
        m.focus = FirstTabStop(*FindWindowRecord(handle));
    dialog = FindWindowRecord(handle);
    dialog->shown = true;
    if (m.observer && !dialog->ended)
        m.observer->DialogOpened(handle, templateId, dialog->text);
    RunModalLoop(handle);

    INT_PTR result = FindWindowRecord(handle)->result;
    if (m.observer)
        m.observer->DialogEnded(handle, templateId, result);
    DestroyDialog(handle);
    m.modalStack.pop_back();
    if (reenableOwner && (ownerRecord = FindWindowRecord(owner)) != nullptr)
        ownerRecord->enabled = true;
    m.focus = FindWindowRecord(focusBefore) ? focusBefore : nullptr;
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    if (Failing("EndDialog"))
        return FALSE;
    Window* w = DialogRecord(dialog);
    if (!w) {
        M().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    w->ended = true;
    w->result = result;
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    if (Failing("GetDlgItem"))
        return NULL;
    return DialogChild(dialog, id);
}

int WINAPI GetDlgCtrlID(HWND window)
{
    if (Failing("GetDlgCtrlID"))
        return 0;
    Window* w = ValidWindow(window);
    if (!w)
        return 0;
    return w->id;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Failing("SendMessageA"))
        return 0;
    if (!FindWindowRecord(window)) {
        M().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    LRESULT hooked = 0;
    if (M().messageHook && M().messageHook(window, message, wParam, lParam, hooked))
        return hooked;
    return Deliver(window, message, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam)
{
    if (Failing("SendDlgItemMessageA"))
        return 0;
    HWND child = DialogChild(dialog, id);
    if (!child)
        return 0;
    return Deliver(child, message, wParam, lParam);
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    if (Failing("SetWindowTextA"))
        return FALSE;
    if (!FindWindowRecord(window)) {
        M().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    return Deliver(window, WM_SETTEXT, 0, (LPARAM)text) != 0;
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int bufferSize)
{
    if (Failing("GetWindowTextA"))
        return 0;
    if (buffer && bufferSize > 0)
        buffer[0] = 0;
    if (!FindWindowRecord(window)) {
        M().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    if (bufferSize <= 0)
        return 0;
    return (int)Deliver(window, WM_GETTEXT, (WPARAM)bufferSize, (LPARAM)buffer);
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    if (Failing("SetDlgItemTextA"))
        return FALSE;
    HWND child = DialogChild(dialog, id);
    if (!child)
        return FALSE;
    return Deliver(child, WM_SETTEXT, 0, (LPARAM)text) != 0;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferSize)
{
    if (Failing("GetDlgItemTextA"))
        return 0;
    if (buffer && bufferSize > 0)
        buffer[0] = 0;
    HWND child = DialogChild(dialog, id);
    if (!child)
        return 0;
    if (bufferSize <= 0)
        return 0;
    return (UINT)Deliver(child, WM_GETTEXT, (WPARAM)bufferSize, (LPARAM)buffer);
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    if (Failing("IsDlgButtonChecked"))
        return 0;
    HWND child = DialogChild(dialog, id);
    if (!child)
        return 0;
    return (UINT)Deliver(child, BM_GETCHECK, 0, 0);
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable)
{
    if (Failing("EnableWindow"))
        return FALSE;
    Window* w = ValidWindow(window);
    if (!w)
        return FALSE;
    BOOL wasDisabled = !w->enabled;
    w->enabled = enable != 0;
    if (!w->enabled && M().focus == window)
        M().focus = nullptr;
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND window)
{
    if (Failing("IsWindowEnabled"))
        return FALSE;
    Window* w = FindWindowRecord(window);
    return w && w->enabled;
}

BOOL WINAPI IsWindow(HWND window)
{
    Enter("IsWindow");
    return FindWindowRecord(window) != nullptr;
}

BOOL WINAPI UpdateWindow(HWND window)
{
    if (Failing("UpdateWindow"))
        return FALSE;
    if (!FindWindowRecord(window))
        return FALSE;
    PaintWaiting(window);
    return TRUE;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (Failing("MessageBoxA"))
        return 0;
    Machine& m = M();
    if (owner && !FindWindowRecord(owner)) {
        m.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    MessageBoxCall call{owner, text ? text : "", caption ? caption : "Error", type};
    Window* ownerRecord = FindWindowRecord(owner);
    bool reenable = ownerRecord && ownerRecord->enabled;
    if (reenable)
        ownerRecord->enabled = false;
    // The box's own message loop paints what waits behind it.
    DispatchPaints();
    int answer;
    if (m.answerer)
        answer = m.answerer(call);
    else if ((type & MB_TYPEMASK) == MB_OK)
        answer = IDOK;
    else
        HarnessError("a message box \"" + call.text + "\" needs an answer and none is given");
    if (reenable && (ownerRecord = FindWindowRecord(owner)) != nullptr)
        ownerRecord->enabled = true;
    return answer;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (Failing("LoadIconA"))
        return NULL;
    if (!name)
        return NULL;
    if (instance == NULL) {
        if (!IS_INTRESOURCE(name)) {
            M().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
            return NULL;
        }
        int id = (int)(ULONG_PTR)name;
        return (HICON)ImageHandle("sysicon:" + std::to_string(id), nullptr, id);
    }
    if (instance != ProgramInstance()) {
        M().lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
        return NULL;
    }
    const Resource* r =
        FindResourceIn(M().programResources, name, MAKEINTRESOURCEA(kRtGroupIcon));
    if (!r) {
        M().lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return NULL;
    }
    std::string key = "icon:" + (r->nameId ? std::to_string(r->nameId) : r->nameText);
    return (HICON)ImageHandle(key, r, 0);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (Failing("LoadCursorA"))
        return NULL;
    if (!name)
        return NULL;
    if (instance == NULL) {
        static const int kSystemCursors[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                             32644, 32645, 32646, 32648, 32649, 32650, 32651};
        int id = IS_INTRESOURCE(name) ? (int)(ULONG_PTR)name : 0;
        for (int known : kSystemCursors)
            if (id == known)
                return (HCURSOR)ImageHandle("syscursor:" + std::to_string(id), nullptr, id);
        M().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return NULL;
    }
    const Resource* r = instance == ProgramInstance()
                            ? FindResourceIn(M().programResources, name,
                                             MAKEINTRESOURCEA(kRtGroupCursor))
                            : nullptr;
    if (!r) {
        M().lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return NULL;
    }
    return (HCURSOR)ImageHandle("cursor:" + std::to_string(r->nameId), r, 0);
}

// Class data lives per class name; the predefined classes start with the
// cursors Windows gives them.
static ClassData& ClassOf(const Window& w)
{
    auto& classes = M().classes;
    auto it = classes.find(w.className);
    if (it != classes.end())
        return it->second;
    ClassData data;
    LPCSTR cursor = w.className == "Edit" ? MAKEINTRESOURCEA(32513) : IDC_ARROW;
    data.cursor = (HCURSOR)ImageHandle("syscursor:" + std::to_string((int)(ULONG_PTR)cursor),
                                       nullptr, (int)(ULONG_PTR)cursor);
    return classes[w.className] = data;
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND window, int index, LONG_PTR value)
{
    if (Failing("SetClassLongPtrA"))
        return 0;
    Window* w = ValidWindow(window);
    if (!w)
        return 0;
    ClassData& data = ClassOf(*w);
    HANDLE* slot = index == GCLP_HCURSOR ? (HANDLE*)&data.cursor
                   : index == GCLP_HICON ? (HANDLE*)&data.icon
                                         : nullptr;
    if (!slot) {
        M().lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    ULONG_PTR previous = (ULONG_PTR)*slot;
    *slot = (HANDLE)value;
    return previous;
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND window, int index)
{
    if (Failing("GetClassLongPtrA"))
        return 0;
    Window* w = ValidWindow(window);
    if (!w)
        return 0;
    ClassData& data = ClassOf(*w);
    if (index == GCLP_HCURSOR)
        return (ULONG_PTR)data.cursor;
    if (index == GCLP_HICON)
        return (ULONG_PTR)data.icon;
    M().lastError = ERROR_INVALID_PARAMETER;
    return 0;
}

} // extern "C"
