#include "gdi_facts.h"

SIZE IconSize(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return {0, 0};
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    else
        mask.bmHeight /= 2; // a monochrome icon's mask holds the image too
    return {mask.bmWidth, mask.bmHeight};
}

std::string DescribeBitmap(HBITMAP bitmap)
{
    BITMAP facts = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof facts, &facts) == 0)
        return "no bitmap";
    return std::to_string(facts.bmWidth) + " x " + std::to_string(facts.bmHeight) + " x " +
           std::to_string(facts.bmBitsPixel);
}

std::string DescribeBitmapResource(int id)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), RT_BITMAP);
    HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
    auto header = static_cast<const BITMAPINFOHEADER*>(loaded ? LockResource(loaded) : nullptr);
    if (header == nullptr || SizeofResource(self, found) < sizeof *header)
        return "no bitmap resource";
    return std::to_string(header->biWidth) + " x " + std::to_string(header->biHeight) + " x " +
           std::to_string(header->biBitCount);
}

std::string DescribeFont(HWND window)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    LOGFONTA facts = {};
    if (font == nullptr || GetObjectA(font, sizeof facts, &facts) == 0)
        return "no font";
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    int height = facts.lfHeight < 0 ? -facts.lfHeight : facts.lfHeight;
    return std::string(facts.lfFaceName) + ", " + std::to_string(MulDiv(height, 72, dpi)) + " pt";
}
