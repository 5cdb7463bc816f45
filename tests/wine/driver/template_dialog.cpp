#include "template_dialog.h"

static INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TemplateDialog::TemplateDialog(const std::string& program, int templateId)
{
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        error_ = "cannot load " + program + " as data, error " + std::to_string(GetLastError());
        return;
    }
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data != nullptr)
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                             static_cast<LPCDLGTEMPLATEA>(data), nullptr,
                                             QuietProc, 0);
    if (dialog_ == nullptr)
        error_ = "cannot build dialog " + std::to_string(templateId) + " of " + program;
    else
        ShowWindow(dialog_, SW_HIDE);
    FreeLibrary(module);
}

TemplateDialog::~TemplateDialog()
{
    if (dialog_ != nullptr)
        DestroyWindow(dialog_);
}

RECT TemplateDialog::ToPixels(int x, int y, int cx, int cy) const
{
    RECT units = {x, y, cx, cy};
    MapDialogRect(dialog_, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}
