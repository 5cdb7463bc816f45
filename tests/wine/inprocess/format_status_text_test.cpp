// The message behind every format result, formatted by Windows' wsprintf.
#include "volume/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FormatStatusText, EachResultHasItsMessage)
{
    const char* const framed[] = {
        nullptr,
        "Failed To Load fmifs.dll",
        "Failed To Get Function Address",
        "Supplied Drive Parameter Check Failed.",
        "Drive Does Not Exist.",
        "Supplied Format Parameter Check Failed.",
        "Supplied Label Parameter Check Failed.",
        "Failed To Dismount Drive.",
        "The drive is locked by another process.",
        "Another process has open file(s) on this drive.",
        "User Aborted Format.",
        "An Error Occurred Formating the Drive.",
        "Unknow Error.",
    };
    for (int status = 1; status <= 12; status++)
        EXPECT_EQ(FormatStatusText(status),
                  "FormatEx Error[" + std::to_string(status) + "]: " + framed[status]);
    EXPECT_STREQ(FormatStatusText(-1), "FormatEx Error[-1]: Unknow Error.");
    EXPECT_STREQ(FormatStatusText(0), "Format Completed Successfully");
}

} // namespace
