// The messages of the version check, as they travel between the patcher and
// a version server.
//
// Every frame is a 4-byte little-endian body length followed by the body; a
// body is at most kMaxFrameBody bytes. A body starts with a message header
// (u16 type, u16 size); every integer is little-endian.
//
//   9000 VersionRequest   client -> server  version, line type
//   9002 download address server -> client  IPv4 address of the FTP server
//   9010 version result   server -> client  target version, file count, code
//   9005 file list        server -> client  path and MD5 text of some files
//
// Decoders take the body as received and check every size against the bytes
// really there: a short or malformed body answers nullopt, never a read past
// its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "patcher/PatchFileList.h"

constexpr size_t kFrameLengthSize = 4;  // the length prefix
constexpr size_t kMaxFrameBody = 496;   // a MsgBuffer holds 500 bytes of frame
constexpr size_t kMsgHeaderSize = 4;    // u16 type, u16 size

constexpr uint16_t kMsgVersionRequest = 9000;
constexpr uint16_t kMsgDownloadAddress = 9002;
constexpr uint16_t kMsgWebMirror = 9003;
constexpr uint16_t kMsgFileList = 9005;
constexpr uint16_t kMsgVersionResult = 9010;

// Result codes of 9010.
constexpr uint8_t kVersionCurrent = 0;  // the client is current
constexpr uint8_t kVersionFilesFollow = 1;
constexpr uint8_t kVersionNoPath = 2;     // version wrong or no upgrade path found
constexpr uint8_t kVersionEmptyPath = 3;  // upgrade path wrong, nothing to download

// Little-endian helpers; the readers expect the bytes to be there.
void PutU16(std::vector<uint8_t>& out, uint16_t v);
void PutU32(std::vector<uint8_t>& out, uint32_t v);
uint16_t GetU16(const uint8_t* p);
uint32_t GetU32(const uint8_t* p);

// The type of a message body; nullopt when the body is shorter than a header.
std::optional<uint16_t> MessageType(const uint8_t* body, size_t size);

// A body in a frame: the length prefix, then the body.
std::vector<uint8_t> MakeFrame(const std::vector<uint8_t>& body);

// 9000, 12 bytes.
struct VersionRequest {
    int32_t version = 0;   // installed version, 0 when unknown
    int32_t lineType = 0;  // line type of the chosen game server, 0 if none
};
constexpr size_t kVersionRequestSize = 12;
std::vector<uint8_t> EncodeVersionRequest(const VersionRequest& request);
std::optional<VersionRequest> DecodeVersionRequest(const uint8_t* body, size_t size);

// 9002: bytes 4..7 are not read; bytes 8..11 are the address a.b.c.d as the
// bytes a, b, c, d.
using IPv4Bytes = std::array<uint8_t, 4>;
constexpr size_t kDownloadAddressSize = 12;
std::vector<uint8_t> EncodeDownloadAddress(const IPv4Bytes& address);
std::optional<IPv4Bytes> DecodeDownloadAddress(const uint8_t* body, size_t size);

// 9003: a web base address (http:// or https://) serving the packages under
// the same paths as the FTP server of 9002; a reply may carry several, each
// in a message of its own, sent before the 9010. The header, then the
// address of 1..kWebMirrorMax printable ASCII bytes and a NUL. Patchers that
// know no 9003 ignore it, as every type they do not know.
constexpr size_t kWebMirrorMax = 255;
// nullopt for an address that is empty, longer than kWebMirrorMax, or has a
// byte outside printable ASCII (a blank included).
std::optional<std::vector<uint8_t>> EncodeWebMirror(const std::string& base);
// nullopt unless the body is a 9003 whose address ends in a NUL within the
// body and keeps to the rules above.
std::optional<std::string> DecodeWebMirror(const uint8_t* body, size_t size);
std::string DottedAddress(const IPv4Bytes& address);
// Strict a.b.c.d, each part 0..255 in decimal; nullopt for anything else.
std::optional<IPv4Bytes> ParseDottedAddress(const std::string& text);

// 9010: bytes 4..7 are not read.
struct VersionResult {
    int32_t targetVersion = 0;
    uint32_t fileCount = 0;
    uint8_t code = 0;
};
constexpr size_t kVersionResultSize = 17;
std::vector<uint8_t> EncodeVersionResult(const VersionResult& result);
std::optional<VersionResult> DecodeVersionResult(const uint8_t* body, size_t size);

// 9005: u32 count, then count entries of two NUL-terminated strings: the
// file's path on the FTP server ("\" between directory and name) and the
// MD5 text of the file.
struct FileListItem {
    std::string path;
    std::string md5;
};
constexpr size_t kFileListHeaderSize = 8;
// Bytes one item takes in a 9005 body.
size_t FileListItemSize(const FileListItem& item);
// Spreads the items over as many 9005 bodies as needed, each at most
// kMaxFrameBody bytes, in order. nullopt when an item alone cannot fit in a
// body or contains a NUL.
std::optional<std::vector<std::vector<uint8_t>>> EncodeFileList(
    const std::vector<FileListItem>& items);
// nullopt when the body is short, a string lacks its terminator inside the
// body, or the count promises more entries than the body holds.
std::optional<std::vector<FileListItem>> DecodeFileList(const uint8_t* body, size_t size);

// Splits a server path at its last "\" that stands at a position greater
// than 0 (a "\" that is the trail byte of a GBK character does not count).
// Without such a "\" the path is all file name; a path shorter than 3 bytes
// gives an empty directory and an empty file name.
struct SplitPath {
    std::string directory;
    std::string fileName;
};
SplitPath SplitPatchPath(const std::string& path);

// Why a server path cannot name a package, in English ("" when it can).
// Its parts between "\" (and the file name above all, which becomes a file
// in download\) must be names that stay where they are put on Windows and
// on Linux alike: printable ASCII or whole GBK characters, none of
// / : * ? " < > | and no GBK character whose second byte reads as "\" or
// "|" to a reader that does not know GBK; not empty, "." or "..", not
// ending in a dot or a blank, not starting with a blank, not a device name
// (CON, NUL, COM1, LPT1, ... with any extension). The file name must also
// not be one the download keeps for itself: a signature or a partial file
// beside a package, the release file or the undo folder.
std::string PatchPathProblem(const std::string& path);

// The patch-file entry for one file of a 9005: directory and file name from
// the path, "download\" + file name as local file, the first 32 characters
// of the MD5 text. nullopt when a part would not fit the entry's 260-byte
// text fields or the path is not a package's (PatchPathProblem).
std::optional<PatchFileEntry> MakePatchFileEntry(const FileListItem& item);
