// USER32 as far as Tarnwick uses it: modal dialogs from templates, their
// controls and messages, message boxes, icons and cursors.
#ifndef WINSIM_WIN32_USER_H
#define WINSIM_WIN32_USER_H

#include "winsim/win32_types.h"

typedef INT_PTR (CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// Messages
#define WM_NULL          0x0000
#define WM_DESTROY       0x0002
#define WM_SETFOCUS      0x0007
#define WM_ENABLE        0x000A
#define WM_SETTEXT       0x000C
#define WM_GETTEXT       0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE         0x0010
#define WM_SETFONT       0x0030
#define WM_SETICON       0x0080
#define WM_KEYDOWN       0x0100
#define WM_CHAR          0x0102
#define WM_INITDIALOG    0x0110
#define WM_COMMAND       0x0111
#define WM_SYSCOMMAND    0x0112
#define WM_LBUTTONDOWN   0x0201
#define WM_LBUTTONUP     0x0202
#define WM_USER          0x0400

#define SC_CLOSE 0xF060
#define MK_LBUTTON 0x0001

#define ICON_SMALL 0
#define ICON_BIG   1

// Dialog manager
#define DM_GETDEFID 0x0400
#define DC_HASDEFID 0x534B

// Window styles
#define WS_OVERLAPPED   0x00000000L
#define WS_POPUP        0x80000000L
#define WS_CHILD        0x40000000L
#define WS_MINIMIZE     0x20000000L
#define WS_VISIBLE      0x10000000L
#define WS_DISABLED     0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CAPTION      0x00C00000L
#define WS_BORDER       0x00800000L
#define WS_DLGFRAME     0x00400000L
#define WS_VSCROLL      0x00200000L
#define WS_HSCROLL      0x00100000L
#define WS_SYSMENU      0x00080000L
#define WS_THICKFRAME   0x00040000L
#define WS_GROUP        0x00020000L
#define WS_TABSTOP      0x00010000L
#define WS_MINIMIZEBOX  0x00020000L
#define WS_MAXIMIZEBOX  0x00010000L

#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_CLIENTEDGE    0x00000200L

#define DS_SETFONT      0x40L
#define DS_MODALFRAME   0x80L
#define DS_FIXEDSYS     0x0008L
#define DS_CENTER       0x0800L
#define DS_SHELLFONT    (DS_SETFONT | DS_FIXEDSYS)

#define BS_PUSHBUTTON    0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX      0x00000002L
#define BS_AUTOCHECKBOX  0x00000003L
#define BS_GROUPBOX      0x00000007L
#define BS_TYPEMASK      0x0000000FL

#define SS_LEFT          0x00000000L
#define SS_CENTER        0x00000001L
#define SS_RIGHT         0x00000002L
#define SS_ICON          0x00000003L
#define SS_BITMAP        0x0000000EL
#define SS_TYPEMASK      0x0000001FL
#define SS_NOTIFY        0x00000100L

#define ES_LEFT          0x0000L
#define ES_AUTOHSCROLL   0x0080L
#define ES_READONLY      0x0800L

#define CBS_DROPDOWNLIST 0x0003L
#define CBS_SORT         0x0100L

// Control messages and notifications
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK    0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED   0x0001
#define BN_CLICKED  0
#define STN_CLICKED 0

#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_GETLIMITTEXT 0x00D5
#define EN_CHANGE   0x0300
#define EN_UPDATE   0x0400
#define EN_MAXTEXT  0x0501

#define CB_OKAY         0
#define CB_ERR          (-1)
#define CB_ERRSPACE     (-2)
#define CB_ADDSTRING    0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT     0x0146
#define CB_GETCURSEL    0x0147
#define CB_GETLBTEXT    0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL    0x014E
#define CB_GETITEMDATA  0x0150
#define CB_SETITEMDATA  0x0151
#define CBN_SELCHANGE   1
#define CBN_SELENDOK    9

// Message boxes
#define MB_OK               0x00000000L
#define MB_OKCANCEL         0x00000001L
#define MB_YESNOCANCEL      0x00000003L
#define MB_YESNO            0x00000004L
#define MB_TYPEMASK         0x0000000FL
#define MB_ICONERROR        0x00000010L
#define MB_ICONQUESTION     0x00000020L
#define MB_ICONWARNING      0x00000030L
#define MB_ICONINFORMATION  0x00000040L

#define IDOK     1
#define IDCANCEL 2
#define IDYES    6
#define IDNO     7
#define IDCLOSE  8

// Icons, cursors and class data
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_HAND  MAKEINTRESOURCEA(32649)
#define GCLP_HCURSOR (-12)
#define GCLP_HICON   (-14)

#define SW_HIDE 0
#define SW_SHOW 5

extern "C" {
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
int WINAPI GetDlgCtrlID(HWND window);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam);
BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferSize);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int bufferSize);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI IsWindowEnabled(HWND window);
BOOL WINAPI IsWindow(HWND window);
BOOL WINAPI UpdateWindow(HWND window);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
// The pointer-sized forms, as 64-bit Windows has them (in 32-bit Windows they
// are SetClassLongA and GetClassLongA).
ULONG_PTR WINAPI SetClassLongPtrA(HWND window, int index, LONG_PTR value);
ULONG_PTR WINAPI GetClassLongPtrA(HWND window, int index);
}

#endif
