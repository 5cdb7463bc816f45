// Bounded formatting never overruns its buffer and cuts instead.
#include "app/text.h"

#include <gtest/gtest.h>

#include <cstring>

// What the product's formats print is compared with wsprintfA's by the
// conformance program; here what the formatter decides for itself.
TEST(FormatText, NullTextsPrintEmptyAndALonePercentIsDropped)
{
    char buffer[16];
    FormatText(buffer, sizeof buffer, "[%s]", (char*)0);
    EXPECT_STREQ(buffer, "[]");
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
