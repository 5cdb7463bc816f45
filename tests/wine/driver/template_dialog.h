// Dialog units as the dialog manager converts them: a hidden dialog of our
// own, built from a template in tarnwick.exe's resources, so it has the same
// font and so the same base units as the program's dialog.
#ifndef TARNWICK_WINE_TEMPLATE_DIALOG_H
#define TARNWICK_WINE_TEMPLATE_DIALOG_H

#include <windows.h>

#include <string>

class TemplateDialog {
public:
    TemplateDialog(const std::string& program, int templateId);
    ~TemplateDialog();
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;

    bool Ok() const { return dialog_ != nullptr; }
    const std::string& Error() const { return error_; }

    // Pixels of a position and size in dialog units, each converted on its
    // own as the dialog manager places controls: x, y, cx, cy in, the pixel
    // rectangle out.
    RECT ToPixels(int x, int y, int cx, int cy) const;

private:
    HWND dialog_ = nullptr;
    std::string error_;
};

#endif
