// Screen shots, taken by tools/wine-test.sh on the driver's request: the
// driver writes NAME.request ("WIDTH HEIGHT X Y") into the watched folder and
// waits for NAME.done (NAME.png written) or NAME.failed.
#ifndef TARNWICK_WINE_SCREENSHOT_H
#define TARNWICK_WINE_SCREENSHOT_H

#include <windows.h>

#include <string>

// Shoots the screen rectangle of window into folder\name.png. Returns an
// empty text on success, else what went wrong.
std::string TakeScreenshot(const std::string& folder, const std::string& name, HWND window);

#endif
