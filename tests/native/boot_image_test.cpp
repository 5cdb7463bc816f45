// The boot image helper assembles, checks and embeds an image; its size and
// fixed-offset check rejects an image that does not match.
#include <gtest/gtest.h>

#include <cstddef>

extern const unsigned char g_signatureProbe[];
extern const std::size_t g_signatureProbe_size;

TEST(BootImageHelper, EmbedsTheAssembledBytes)
{
    ASSERT_EQ(g_signatureProbe_size, 512u);
    EXPECT_EQ(g_signatureProbe[0], 0xEB); // jmp short
    EXPECT_EQ(g_signatureProbe[2], 0x90);
    EXPECT_EQ(g_signatureProbe[510], 0x55);
    EXPECT_EQ(g_signatureProbe[511], 0xAA);
}
