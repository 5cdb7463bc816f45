#include "screenshot.h"

#include <fstream>

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsPng(const std::string& path)
{
    char signature[8] = {};
    std::ifstream file(path, std::ios::binary);
    file.read(signature, sizeof signature);
    return file && std::string(signature, 8) == "\x89PNG\r\n\x1a\n";
}

// The window painted: its thread has handled everything sent before.
void LetItPaint(HWND window)
{
    DWORD_PTR ignored = 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(300);
}

} // namespace

std::string TakeScreenshot(const std::string& folder, const std::string& name, HWND window)
{
    const std::string base = folder + "\\" + name;
    for (const char* suffix : {".png", ".done", ".failed", ".log"})
        DeleteFileA((base + suffix).c_str());
    LetItPaint(window);
    RECT rect = {};
    GetWindowRect(window, &rect);
    {
        std::ofstream request(base + ".request.tmp", std::ios::binary);
        request << rect.right - rect.left << ' ' << rect.bottom - rect.top << ' ' << rect.left
                << ' ' << rect.top << '\n';
        if (!request)
            return "cannot write " + base + ".request.tmp";
    }
    // Renamed into place, so the watcher never reads half a request.
    if (!MoveFileExA((base + ".request.tmp").c_str(), (base + ".request").c_str(),
                     MOVEFILE_REPLACE_EXISTING))
        return "cannot rename the request to " + base + ".request";
    for (int waited = 0; waited < 300; waited++) {
        if (Exists(base + ".failed")) {
            DeleteFileA((base + ".failed").c_str());
            return "the shot of " + base + ".png failed (see " + name + ".log)";
        }
        if (Exists(base + ".done")) {
            DeleteFileA((base + ".done").c_str());
            return IsPng(base + ".png") ? "" : base + ".png is not a PNG file";
        }
        Sleep(100);
    }
    return "no answer to " + base + ".request (is tools/wine-test.sh watching the folder?)";
}
