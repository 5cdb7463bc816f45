// Bounded formatting never overruns its buffer and cuts instead.
#include "app/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(FormatText, FormatsWhatTheProgramUses)
{
    char buffer[64];
    EXPECT_EQ(FormatText(buffer, sizeof buffer, "Formating...(%d%%)", 100), 18);
    EXPECT_STREQ(buffer, "Formating...(100%)");
    FormatText(buffer, sizeof buffer, "%d %d %u %x", -5, INT_MIN, 4294967295u, 0xBEEFu);
    EXPECT_STREQ(buffer, "-5 -2147483648 4294967295 beef");
    FormatText(buffer, sizeof buffer, "\\\\.\\%C: %c:\\ [%s] [%s]", 'e', 'E', "x", (char*)0);
    EXPECT_STREQ(buffer, "\\\\.\\e: E:\\ [x] []");
    FormatText(buffer, sizeof buffer, "100%");
    EXPECT_STREQ(buffer, "100");
}

TEST(FormatText, CutsAtTheBufferAndNeverWritesPastIt)
{
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(FormatText(buffer, 6, "%s-%d", "abcdef", 12), 5);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(buffer[6], 'Z');
    EXPECT_EQ(FormatText(buffer, 1, "abc"), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FormatText(buffer, 0, "abc"), 0);
    EXPECT_EQ(FormatText(nullptr, 8, "abc"), 0);
}

TEST(CopyText, CopiesBoundedAndTerminates)
{
    char buffer[4] = {'Z', 'Z', 'Z', 'Z'};
    EXPECT_EQ(CopyText(buffer, 4, "E:\\x"), 3);
    EXPECT_STREQ(buffer, "E:\\");
    EXPECT_EQ(CopyText(buffer, 4, nullptr), 0);
    EXPECT_STREQ(buffer, "");
}
