// What the driver is told on its command line.
#ifndef TARNWICK_WINE_DRIVER_OPTIONS_H
#define TARNWICK_WINE_DRIVER_OPTIONS_H

#include <string>

struct DriverOptions {
    std::string program;     // tarnwick.exe, as a Windows path
    std::string screenshots; // the folder tools/wine-test.sh watches
};

const DriverOptions& Options();

// Wine shows the Unix file system as drive Z:.
std::string ToWindowsPath(const std::string& path);

#endif
