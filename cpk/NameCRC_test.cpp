#include "cpk/NameCRC.h"

#include <gtest/gtest.h>

namespace {

TEST(NameCRC, ShortNamesPackTheirBytes) {
    EXPECT_EQ(ComputeNameCRC(""), 0u);
    EXPECT_EQ(ComputeNameCRC(nullptr), 0u);
    EXPECT_EQ(ComputeNameCRC("a"), 0x61000000u);
    EXPECT_EQ(ComputeNameCRC("abc"), 0x61626300u);
    EXPECT_EQ(ComputeNameCRC("data"), 0x64617461u);
}

TEST(NameCRC, LongerNamesRunTheCrc) {
    EXPECT_EQ(ComputeNameCRC("abcde"), 0x7BF0FF0Eu);
    EXPECT_EQ(ComputeNameCRC("system"), 0x4D1E8DADu);
    EXPECT_EQ(ComputeNameCRC("system\\avatargirl\\girl.fskel"), 0xD8060F08u);
    // The hash itself keeps case; archives lower the path before hashing.
    EXPECT_NE(ComputeNameCRC("System"), ComputeNameCRC("system"));
}

TEST(NameCRC, BytesAboveAsciiCountAsUnsigned) {
    // A signed char would sign-extend into the register and change the hash.
    EXPECT_EQ(ComputeNameCRC("\xB8\xFC\xD0\xC2"), 0xB8FCD0C2u);
    EXPECT_EQ(ComputeNameCRC("\xB8\xFC\xD0\xC2\xCE\xC4"), 0xAB0805D4u);
}

}  // namespace
