#include "cpk/Md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "testsupport/temp_dir.h"

namespace {

std::string Hex(const uint8_t d[16]) {
    std::string s;
    char buf[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", d[i]);
        s += buf;
    }
    return s;
}

std::string OfString(const char* s) {
    uint8_t d[16];
    EXPECT_EQ(Md5OfString(s, d), 1);
    return Md5Hex(d);
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(OfString(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(OfString("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(OfString("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(OfString("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(OfString("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(OfString("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(OfString("1234567890123456789012345678901234567890123456789012345678901234567890"
                       "1234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PiecesGiveTheDigestOfTheWhole) {
    std::string data;
    for (int i = 0; i < 1000; ++i) {
        data += static_cast<char>(i * 31);
    }
    uint8_t whole[16];
    Md5OfBuffer(data.data(), data.size(), whole);
    for (size_t split : {0, 1, 55, 56, 63, 64, 65, 128, 999}) {
        Md5 md5;
        md5.Update(data.data(), split);
        md5.Update(data.data() + split, data.size() - split);
        uint8_t d[16];
        md5.Final(d);
        EXPECT_EQ(Hex(d), Hex(whole)) << split;
    }
}

TEST(Md5, FilesSmallAndMappedMatchTheirBuffers) {
    testsupport::TempDir dir;
    uint8_t d[16];
    EXPECT_EQ(Md5OfFile(nullptr, d), 0);
    EXPECT_EQ(Md5OfFile((dir / "missing").c_str(), d), 0);
    // Empty, partial and whole read chunks, and a file of many chunks.
    for (size_t size :
         {size_t{0}, size_t{1023}, size_t{4999999}, size_t{5000000}, size_t{70u << 20}}) {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; i += 4093) {
            data[i] = static_cast<char>(i / 4093);
        }
        std::string path = dir / ("f" + std::to_string(size));
        testsupport::WriteFile(path, data);
        uint8_t fromFile[16];
        uint8_t fromBuffer[16];
        ASSERT_EQ(Md5OfFile(path.c_str(), fromFile), 1);
        Md5OfBuffer(data.data(), data.size(), fromBuffer);
        EXPECT_EQ(Hex(fromFile), Hex(fromBuffer)) << size;
    }
}

}  // namespace
