#include "cpk/DiscIOMgr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "testsupport/faulty_disk.h"
#include "testsupport/temp_dir.h"

namespace {

using platform::Access;
using platform::Disposition;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

platform::File OpenRw(const std::string& path) {
    return DiscIOMgr::CreateFile(path, Access::kReadWrite, platform::kShareRead,
                                 Disposition::kOpenAlways);
}

TEST(DiscIOMgr, ShortReadShowsTheErrorBoxQuietReadDoesNot) {
    TempDir dir;
    WriteFile(dir / "ten", "0123456789");
    platform::File f = OpenRw(dir / "ten");
    ASSERT_TRUE(f.IsOpen());
    platform::ScriptedMessageBoxes boxes;
    char buffer[32];
    EXPECT_EQ(DiscIOMgr::ReadQuiet(f, buffer, 20), 0);
    EXPECT_EQ(boxes.count(), 0u);
    ASSERT_EQ(DiscIOMgr::Seek(f, 4), 4u);
    EXPECT_EQ(DiscIOMgr::Read(f, buffer, 6), 1);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(DiscIOMgr::Read(f, buffer, 1), 0);  // at the end
    ASSERT_EQ(boxes.count(), 1u);
    auto box = boxes.asked()[0];
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.type, 16u);
    EXPECT_EQ(
        box.text.rfind("Error : CE_CANNOT_READ_DISC_FILE\nFile : .\\cpk\\DiscIOMgr\nLine : ", 0),
        0u)
        << box.text;
    EXPECT_NE(box.text.find("\nSystem Error Code : 0\nError Message : "), std::string::npos);
}

TEST(DiscIOMgr, SeekAnswersThePositionSoZeroReadsAsFailure) {
    TempDir dir;
    WriteFile(dir / "f", "abcdef");
    platform::File f = OpenRw(dir / "f");
    EXPECT_EQ(DiscIOMgr::Seek(f, 3), 3u);
    EXPECT_EQ(DiscIOMgr::Seek(f, 0), 0u);  // succeeded, yet reads as 0
    char c = 0;
    ASSERT_EQ(DiscIOMgr::ReadQuiet(f, &c, 1), 1);
    EXPECT_EQ(c, 'a');
    // Past the 32-bit signed range the layer refuses.
    EXPECT_EQ(DiscIOMgr::Seek(f, 0x80000000u), 0u);
    EXPECT_EQ(DiscIOMgr::GetFileSize(f), 6u);
    ASSERT_EQ(DiscIOMgr::Seek(f, 2), 2u);
    ASSERT_EQ(DiscIOMgr::SetEndOfFile(f), 1);
    EXPECT_EQ(DiscIOMgr::GetFileSize(f), 2u);
}

TEST(DiscIOMgr, FileExistsSeesFilesAndFolders) {
    TempDir dir;
    WriteFile(dir / "sub\\f.txt", "x");
    EXPECT_EQ(DiscIOMgr::FileExists(dir / "sub"), 1);
    EXPECT_EQ(DiscIOMgr::FileExists(dir / "sub\\f.txt"), 1);
    EXPECT_EQ(DiscIOMgr::FileExists(dir / "SUB\\F.TXT"), 1);  // case-insensitive, as on Windows
    EXPECT_EQ(DiscIOMgr::FileExists(dir / "missing"), 0);
    EXPECT_FALSE(
        DiscIOMgr::CreateFile(dir / "missing", Access::kRead, 0, Disposition::kOpenExisting)
            .IsOpen());
    EXPECT_TRUE(platform::IsNotFound(platform::Error{DiscIOMgr::LastError()}));
}

TEST(DiscIOMgr, ShortWriteOfAPieceIsRewrittenAtItsOwnOffset) {
    testsupport::FaultyDisk disk;
    TempDir dir;
    platform::File f = OpenRw(dir / "big");
    const uint32_t kPiece = 8u << 20;
    std::vector<uint8_t> first(kPiece, 'a');
    std::vector<uint8_t> second(1 << 20);
    for (size_t i = 0; i < second.size(); ++i) {
        second[i] = static_cast<uint8_t>(i * 7);
    }
    ASSERT_EQ(DiscIOMgr::Write(f, first.data(), kPiece, 0, disk), 1);
    platform::ScriptedMessageBoxes boxes;
    disk.FailNextWrites(1);
    // The first attempt writes half and fails; the disk has room, so no box
    // is shown and the whole piece is written again at 8 MiB.
    EXPECT_EQ(
        DiscIOMgr::Write(f, second.data(), static_cast<uint32_t>(second.size()), kPiece, disk), 1);
    EXPECT_EQ(boxes.count(), 0u);
    f.Close();
    std::string bytes = ReadFile(dir / "big");
    ASSERT_EQ(bytes.size(), kPiece + second.size());
    EXPECT_EQ(bytes.substr(kPiece), std::string(second.begin(), second.end()));
    EXPECT_EQ(bytes[kPiece - 1], 'a');
}

TEST(DiscIOMgr, WriteWithoutRetryPositionAnswersAtOnce) {
    testsupport::FaultyDisk disk;
    TempDir dir;
    platform::File f = OpenRw(dir / "f");
    platform::ScriptedMessageBoxes boxes;
    disk.FailNextWrites(1);
    EXPECT_EQ(DiscIOMgr::Write(f, "abcd", 4, DiscIOMgr::kNoRetry, disk), 0);
    EXPECT_TRUE(platform::IsDiskFull(platform::Error{DiscIOMgr::LastError()}));
    EXPECT_EQ(boxes.count(), 0u);
    EXPECT_EQ(DiscIOMgr::Write(f, "abcd", 4, DiscIOMgr::kNoRetry, disk), 1);
}

TEST(DiscIOMgr, WriteThatKeepsFailingWithRoomOnDiskGivesUp) {
    testsupport::FaultyDisk disk;
    TempDir dir;
    platform::File f = OpenRw(dir / "f");
    platform::ScriptedMessageBoxes boxes;
    disk.FailNextWrites(1000);
    EXPECT_EQ(DiscIOMgr::Write(f, "abcdefgh", 8, 0, disk), 0);
    ASSERT_EQ(boxes.count(), 1u);  // the final error, no disk-space prompt
    EXPECT_NE(boxes.asked()[0].text.find("CE_CANNOT_WRITE_DISC_FILE"), std::string::npos);
}

TEST(DiscIOMgr, WriteToAFullDeviceGivesUp) {
    // A device that always reports a full disk: a real write failure.
    std::string full = platform::SystemPathFromNative("/dev/full");
    if (!platform::Exists(full)) {
        GTEST_SKIP() << "no /dev/full here";
    }
    platform::File f = DiscIOMgr::CreateFile(full, Access::kWrite, 0, Disposition::kOpenExisting);
    if (!f.IsOpen()) {
        GTEST_SKIP() << "/dev/full cannot be opened";
    }
    platform::ScriptedMessageBoxes boxes;
    std::vector<uint8_t> data(4096, 1);
    EXPECT_EQ(DiscIOMgr::Write(f, data.data(), 4096, DiscIOMgr::kNoRetry), 0);
    EXPECT_TRUE(platform::IsDiskFull(platform::Error{DiscIOMgr::LastError()}));
    EXPECT_EQ(DiscIOMgr::Write(f, data.data(), 4096, 0), 0);
    EXPECT_EQ(boxes.count(), 1u);
}

TEST(EnsureDiskSpace, AsksUntilCancelledWhenSpaceIsShort) {
    platform::ScriptedMessageBoxes boxes;
    EXPECT_EQ(EnsureDiskSpace(nullptr, 0), 1);
    EXPECT_EQ(EnsureDiskSpace(nullptr, 1), 1);
    EXPECT_EQ(boxes.count(), 0u);

    const uint64_t kHuge = uint64_t{1} << 62;  // more than any disk has
    boxes.Answer(platform::kIdRetry);
    boxes.Answer(platform::kIdCancel);
    boxes.Answer(platform::kIdRetry);  // never asked: Cancel ends it
    EXPECT_EQ(EnsureDiskSpace(nullptr, kHuge), 0);
    ASSERT_EQ(boxes.count(), 2u);
    auto box = boxes.asked()[0];
    EXPECT_EQ(box.caption, GBK("警告"));
    EXPECT_EQ(box.type & 0xF, platform::kMbRetryCancel);
    EXPECT_EQ(box.text, GBK("磁盘空间不足 4611686018427387904 byte, 建议先释放一部分空间"));
    EXPECT_GT(GetFreeDiskSpace(nullptr), 0u);
}

TEST(MessageBoxes, ShowSystemErrorAppendsTheSystemText) {
    platform::ScriptedMessageBoxes boxes;
    DiscIOMgr::SetLastError(platform::ErrorNotFound());
    ShowSystemError(16, "Error : %s\nFile : %s\nLine : %d", "x", ".\\cpk\\CPKVfs", 42);
    ASSERT_EQ(boxes.count(), 1u);
    auto box = boxes.asked()[0];
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.type, 16u);
    EXPECT_EQ(box.text, "Error : x\nFile : .\\cpk\\CPKVfs\nLine : 42\nSystem Error Code : " +
                            std::to_string(platform::ErrorNotFound()) + "\nError Message : " +
                            platform::Error{platform::ErrorNotFound()}.Message());

    ShowMessage("value %d of %s", 7, "ten");
    ShowMessage("%s", std::string(10000, 'z').c_str());
    ASSERT_EQ(boxes.count(), 3u);
    EXPECT_EQ(boxes.asked()[1].text, "value 7 of ten");
    EXPECT_EQ(boxes.asked()[1].caption, "Message");
    EXPECT_EQ(boxes.asked()[1].type, platform::kMbOk);
    EXPECT_EQ(boxes.asked()[2].text, std::string(4095, 'z'));  // cut, not overrun
}

}  // namespace
