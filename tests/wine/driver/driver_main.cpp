// The driver's entry: GoogleTest, plus the program and screenshot folder.
#include "driver_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

static DriverOptions g_options;

const DriverOptions& Options()
{
    return g_options;
}

std::string ToWindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    return windows;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--program") == 0)
            g_options.program = ToWindowsPath(argv[i + 1]);
        else if (std::strcmp(argv[i], "--screenshots") == 0)
            g_options.screenshots = ToWindowsPath(argv[i + 1]);
    }
    if (g_options.program.empty() || g_options.screenshots.empty()) {
        std::fprintf(stderr, "usage: %s --program TARNWICK.EXE --screenshots DIR\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
