// The predefined controls: buttons, edit boxes, statics and combo boxes.
#include "windows.h"
#include "sort_order.h"

#include <cstring>

namespace winsim {

namespace {

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer)
{
    if (size == 0 || buffer == 0)
        return 0;
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy((char*)buffer, text.data(), n);
    ((char*)buffer)[n] = 0;
    return (LRESULT)n;
}

bool InRange(const Window& w, WPARAM index)
{
    return (int)index >= 0 && index < w.items.size();
}

LRESULT ComboProc(Window& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        ComboItem item{lParam ? (const char*)lParam : "", 0};
        std::size_t at = w.items.size();
        if (message == CB_INSERTSTRING && (int)wParam >= 0) {
            if (wParam > w.items.size())
                return CB_ERR;
            at = wParam;
        } else if (message == CB_ADDSTRING && (w.style & CBS_SORT)) {
            // Binary search as the list box does; an equal text goes before.
            std::size_t low = 0, high = w.items.size();
            at = high;
            while (low < high) {
                std::size_t mid = (low + high) / 2;
                int order = CompareForSort(item.text, w.items[mid].text);
                if (order == 0) {
                    at = mid;
                    break;
                }
                if (order < 0)
                    high = mid;
                else
                    low = mid + 1;
                at = low;
            }
        }
        w.items.insert(w.items.begin() + (std::ptrdiff_t)at, item);
        if (w.selection >= 0 && (std::size_t)w.selection >= at)
            w.selection++;
        return (LRESULT)at;
    }
    case CB_DELETESTRING:
        if (!InRange(w, wParam))
            return CB_ERR;
        w.items.erase(w.items.begin() + (std::ptrdiff_t)wParam);
        if (w.selection == (int)wParam)
            w.selection = -1;
        else if (w.selection > (int)wParam)
            w.selection--;
        return (LRESULT)w.items.size();
    case CB_RESETCONTENT:
        w.items.clear();
        w.selection = -1;
        return CB_OKAY;
    case CB_GETCOUNT:
        return (LRESULT)w.items.size();
    case CB_GETCURSEL:
        return w.selection >= 0 ? w.selection : CB_ERR;
    case CB_SETCURSEL:
        if (!InRange(w, wParam)) {
            w.selection = -1;
            return CB_ERR;
        }
        w.selection = (int)wParam;
        return w.selection;
    case CB_GETITEMDATA:
        return InRange(w, wParam) ? w.items[wParam].data : CB_ERR;
    case CB_SETITEMDATA:
        if (!InRange(w, wParam))
            return CB_ERR;
        w.items[wParam].data = lParam;
        return TRUE;
    case CB_GETLBTEXTLEN:
        return InRange(w, wParam) ? (LRESULT)w.items[wParam].text.size() : CB_ERR;
    case CB_GETLBTEXT:
        // Like Windows, the caller's buffer must hold the whole text.
        if (!InRange(w, wParam))
            return CB_ERR;
        if (lParam)
            std::strcpy((char*)lParam, w.items[wParam].text.c_str());
        return (LRESULT)w.items[wParam].text.size();
    case WM_GETTEXT:
        return CopyText(w.selection >= 0 ? w.items[w.selection].text : "", wParam, lParam);
    case WM_GETTEXTLENGTH:
        return w.selection >= 0 ? (LRESULT)w.items[w.selection].text.size() : 0;
    case WM_SETTEXT:
        return CB_ERR; // a drop-down list shows only its items
    default:
        return 0;
    }
}

LRESULT EditProc(Window& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case EM_LIMITTEXT:
        w.textLimit = wParam ? wParam : 0x7FFFFFFE;
        return 0;
    case EM_GETLIMITTEXT:
        return (LRESULT)w.textLimit;
    case WM_SETTEXT:
        // Setting the text is not bound by the typing limit.
        w.text = lParam ? (const char*)lParam : "";
        NotifyTextSet(w);
        Notify(w, EN_UPDATE);
        Notify(w, EN_CHANGE);
        return TRUE;
    default:
        return 0;
    }
}

LRESULT ButtonProc(Window& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    DWORD type = w.style & BS_TYPEMASK;
    bool checkable = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
    switch (message) {
    case BM_GETCHECK:
        return checkable ? w.check : 0;
    case BM_SETCHECK:
        if (checkable)
            w.check = (int)wParam;
        return 0;
    case BM_CLICK:
        if (w.enabled) {
            if (type == BS_AUTOCHECKBOX)
                w.check = w.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            Notify(w, BN_CLICKED);
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace

LRESULT ControlProc(Window& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (w.className == "ComboBox")
        return ComboProc(w, message, wParam, lParam);
    if (w.className == "Edit") {
        if (message == EM_LIMITTEXT || message == EM_GETLIMITTEXT || message == WM_SETTEXT)
            return EditProc(w, message, wParam, lParam);
    } else if (w.className == "Button") {
        if (message == BM_GETCHECK || message == BM_SETCHECK || message == BM_CLICK)
            return ButtonProc(w, message, wParam, lParam);
    }
    switch (message) {
    case WM_SETTEXT:
        w.text = lParam ? (const char*)lParam : "";
        NotifyTextSet(w);
        return TRUE;
    case WM_GETTEXT:
        return CopyText(w.text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return (LRESULT)w.text.size();
    default:
        return 0;
    }
}

} // namespace winsim
