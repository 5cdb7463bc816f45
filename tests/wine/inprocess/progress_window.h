// A window of this thread that takes format progress reports and writes
// down what each one carried.
#ifndef TARNWICK_WINE_PROGRESS_WINDOW_H
#define TARNWICK_WINE_PROGRESS_WINDOW_H

#include <windows.h>

#include <vector>

class ProgressWindow {
public:
    // With a cancel percentage, the window clears the continue flag of the
    // first report at or above it, and of every report after that.
    explicit ProgressWindow(long cancelAt = -1);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Handle() const { return window_; }
    const std::vector<unsigned>& Percentages() const { return percentages_; }
    // The continue flag as each report arrived.
    const std::vector<int>& FlagsOnArrival() const { return flags_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    long cancelAt_;
    std::vector<unsigned> percentages_;
    std::vector<int> flags_;
};

#endif
