// Sizes of the GDI objects a dialog shows, readable only in its own process.
#ifndef TARNWICK_WINE_GDI_FACTS_H
#define TARNWICK_WINE_GDI_FACTS_H

#include <windows.h>

#include <string>

// The icon's width and height; 0 x 0 for no icon.
SIZE IconSize(HICON icon);

// "WIDTH x HEIGHT x BITS" of a bitmap, or "no bitmap".
std::string DescribeBitmap(HBITMAP bitmap);

// "WIDTH x HEIGHT x BITS" of a bitmap resource of this program.
std::string DescribeBitmapResource(int id);

// "FACE, N pt" of the font a window draws with.
std::string DescribeFont(HWND window);

#endif
