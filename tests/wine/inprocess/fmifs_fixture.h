// Steers the fixture fmifs.dll of this process and reads what its FormatEx
// was handed (see tests/wine/fmifs/format_ex.cpp).
#ifndef TARNWICK_WINE_FMIFS_FIXTURE_H
#define TARNWICK_WINE_FMIFS_FIXTURE_H

#include <map>
#include <string>
#include <vector>

// The drive that tools/wine-test.sh --block-drive E puts on a block device,
// the one kind of Wine drive whose dismount request succeeds.
const char kBlockDriveRoot[] = "E:\\";

// "success", "failure" or "silent", reporting the comma-separated
// percentages first.
void SetFormatExMode(const char* mode, const char* percentages = "0,25,50,75,100");

// Starts an empty record of FormatEx calls.
void ForgetFormatExCalls();

// One record per FormatEx call since ForgetFormatExCalls: root, media, fs,
// label, quick, cluster, answers, slip.
using FormatExCall = std::map<std::string, std::string>;
std::vector<FormatExCall> FormatExCalls();

// A host folder as this process names it (Wine's Z: is the host's root).
std::string WindowsPathOf(const std::string& hostPath);

#endif
