// Bounded formatting never overruns its buffer and cuts instead. What the
// product's formats print is compared with wsprintfA's by the conformance
// program; here what the formatter decides for itself.
#include "app/text.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FormatText, CutsAtTheBufferAndNeverWritesPastIt)
{
    char buffer[16];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(FormatText(buffer, 6, "%s-%d", "abcdef", 12), 5);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(buffer[6], 'Z');
    EXPECT_EQ(FormatText(buffer, 1, "abc"), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FormatText(buffer, 0, "abc"), 0);
    EXPECT_EQ(FormatText(nullptr, 8, "abc"), 0);
    // A null text prints nothing; a lone percent is dropped.
    FormatText(buffer, sizeof buffer, "[%s]100%", (char*)0);
    EXPECT_STREQ(buffer, "[]100");
}

TEST(CopyText, CopiesBoundedAndTerminates)
{
    char buffer[4] = {'Z', 'Z', 'Z', 'Z'};
    EXPECT_EQ(CopyText(buffer, 4, "E:\\x"), 3);
    EXPECT_STREQ(buffer, "E:\\");
    EXPECT_EQ(CopyText(buffer, 4, nullptr), 0);
    EXPECT_STREQ(buffer, "");
}
