#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tarnet/Framing.h"

namespace {

using Tarnet::AppendFrame;
using Tarnet::FrameDecoder;

std::vector<uint8_t> Frames(const std::vector<std::string>& bodies) {
    std::vector<uint8_t> out;
    for (const std::string& b : bodies) {
        AppendFrame(out, b.data(), static_cast<uint32_t>(b.size()));
    }
    return out;
}

// Feeds bytes in pieces cut at the given offsets; collects the bodies.
std::vector<std::string> Decode(FrameDecoder& d, const std::vector<uint8_t>& bytes,
                                const std::vector<size_t>& cuts, bool* ok = nullptr) {
    std::vector<std::string> got;
    size_t at = 0;
    bool good = true;
    auto sink = [&](const uint8_t* body, uint32_t size) {
        got.emplace_back(reinterpret_cast<const char*>(body), size);
    };
    for (size_t cut : cuts) {
        good = d.Feed(bytes.data() + at, cut - at, sink) && good;
        at = cut;
    }
    good = d.Feed(bytes.data() + at, bytes.size() - at, sink) && good;
    if (ok) {
        *ok = good;
    }
    return got;
}

TEST(Framing, HeaderIsLittleEndianBodyLength) {
    std::vector<uint8_t> out;
    AppendFrame(out, "abc", 3);
    EXPECT_EQ(out, (std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c'}));
    uint8_t h[4];
    Tarnet::EncodeFrameHeader(0x01020304, h);
    EXPECT_EQ(h[0], 4);
    EXPECT_EQ(h[3], 1);
    EXPECT_EQ(Tarnet::DecodeFrameHeader(h), 0x01020304u);
}

TEST(Framing, BodiesComeOutWholeWhereverTheStreamIsCut) {
    const std::vector<std::string> bodies = {"first", "", "x", std::string(300, 'q'), "last"};
    const std::vector<uint8_t> bytes = Frames(bodies);
    // One cut at every position, and the stream fed byte by byte.
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        FrameDecoder d;
        EXPECT_EQ(Decode(d, bytes, {cut}), bodies) << "cut at " << cut;
        EXPECT_EQ(d.Pending(), 0u);
    }
    std::vector<size_t> every;
    for (size_t i = 1; i < bytes.size(); ++i) {
        every.push_back(i);
    }
    FrameDecoder d;
    EXPECT_EQ(Decode(d, bytes, every), bodies);
}

TEST(Framing, UnfinishedPackageIsHeldBack) {
    std::vector<uint8_t> bytes = Frames({"complete", "partial"});
    bytes.resize(bytes.size() - 3);
    FrameDecoder d;
    EXPECT_EQ(Decode(d, bytes, {}), std::vector<std::string>{"complete"});
    EXPECT_EQ(d.Pending(), 4u + 4u);
}

TEST(Framing, LengthOverTheBoundFailsForGoodKeepingWhatCameBefore) {
    std::vector<uint8_t> bytes = Frames({"ok"});
    const std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F, 'j', 'u', 'n', 'k'};
    bytes.insert(bytes.end(), huge.begin(), huge.end());
    for (size_t cut : {size_t(0), size_t(3), size_t(7), size_t(8)}) {
        FrameDecoder d;
        bool ok = true;
        EXPECT_EQ(Decode(d, bytes, {cut}, &ok), std::vector<std::string>{"ok"});
        EXPECT_FALSE(ok);
        EXPECT_TRUE(d.Failed());
        // Later bytes, even good ones, are refused.
        const std::vector<uint8_t> more = Frames({"late"});
        EXPECT_FALSE(d.Feed(more.data(), more.size(), [](const uint8_t*, uint32_t) {
            ADD_FAILURE() << "a package after the failure";
        }));
    }
    // The bound itself is allowed; one more byte is not.
    FrameDecoder small(10);
    bool ok = false;
    EXPECT_EQ(Decode(small, Frames({std::string(10, 'a')}), {}, &ok).size(), 1u);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Decode(small, Frames({std::string(11, 'a')}), {}, &ok).empty());
    EXPECT_FALSE(ok);
}

}  // namespace
