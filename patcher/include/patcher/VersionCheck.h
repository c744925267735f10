// The version check of one update attempt: connect to a version server, send
// the installed version and line type, collect the reply (download address,
// target version, result code, patch files) into the patch-file list.
//
// UpdateThread empties the patch-file list, picks the server, then calls
// RunVersionCheck and acts on the outcome: VersionCheckFailure gives the box
// to show when the attempt ends there, otherwise code 0 means the client is
// current and code 1 that the list holds the files to download.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "patcher/MsgClient.h"
#include "patcher/PatchFileList.h"
#include "patcher/VersionMessages.h"

// ---- Texts ----

// Every text the version check shows passes through here: the GBK default
// text in, the text to show out. Unless another lookup is installed (tests
// do), the text table answers (GetLocalText). The lookup must answer a text
// that stays valid until it is shown; like GetLocalText's, the answer of
// VersionCheckText is for use at once, and whoever keeps it keeps a copy.
using TextLookup = std::function<const char*(const char* gbkDefault)>;
void SetVersionCheckTextLookup(TextLookup lookup);
const char* VersionCheckText(const char* gbkDefault);

// ---- Timing ----

constexpr int kReplyPolls = 1000;              // polls for the reply...
constexpr uint32_t kReplyPollPeriodMs = 10;    // ...each one sleep of this long
constexpr uint32_t kConnectPollPeriodMs = 50;  // while the connect attempt runs

struct VersionCheckOptions {
    int replyPolls = kReplyPolls;
    uint32_t replyPollPeriodMs = kReplyPollPeriodMs;
    uint32_t connectPollPeriodMs = kConnectPollPeriodMs;
    // The sleep between polls; platform::SleepMs when empty.
    std::function<void(uint32_t ms)> sleep;
    // When set (by another thread), the check ends at its next poll: the
    // update was stopped.
    const std::atomic<bool>* stop = nullptr;
    // The message client's own settings (tests lengthen its drain).
    MsgClientOptions client;
};

// ---- Reply collection ----

// Most web bases one reply brings (see VersionReply::webMirrors).
constexpr size_t kWebMirrorsInReply = 8;

struct VersionReply {
    bool done = false;        // a complete reply arrived
    uint8_t code = 0;         // kVersionCurrent ... kVersionEmptyPath
    bool hasAddress = false;  // a 9002 arrived
    IPv4Bytes address{};      // the FTP server
    // The web bases the 9003s named, in order, each once (at most
    // kWebMirrorsInReply; the rest are dropped).
    std::vector<std::string> webMirrors;
    int32_t targetVersion = 0;  // from the 9010
    uint32_t expected = 0;      // files the 9010 announced
    // A 9005 named a file that cannot be a package: the reply ends there,
    // refused. The path as sent and why, in English.
    std::string refusedPath;
    std::string refusedWhy;

    // Dotted FTP address; "" when none came.
    std::string DownloadAddress() const;
};

// Takes the message bodies of one reply in arrival order and decides when it
// is complete: a 9010 whose code is not 1, or, after a 9010 with code 1, a
// 9005 after which the list holds at least the announced number of files. A
// 9005 before any 9010 completes the reply with code 0 (servers send 9002
// and 9010 first). Files are appended to list. Malformed messages (short,
// counts beyond their bytes, strings without terminator) are dropped whole;
// unknown types are ignored. A 9005 that names a path no package may have
// (PatchPathProblem, or too long for an entry) completes the reply as
// refused: nothing of it reaches the list.
class VersionReplyCollector {
public:
    explicit VersionReplyCollector(PatchFileList& list) : list_(list) {}
    // Answers whether the reply is complete.
    bool Take(const uint8_t* body, size_t size);
    const VersionReply& reply() const { return reply_; }

private:
    PatchFileList& list_;
    VersionReply reply_;
};

// Polls the client: up to options.replyPolls times, one sleep, then at most
// one received frame, until the reply is complete (or options.stop is set).
VersionReply CollectVersionReply(CMsgClient& client, PatchFileList& list,
                                 const VersionCheckOptions& options = {});

// ---- The whole exchange ----

struct VersionCheckRequest {
    std::string address;  // dotted version-server address
    uint16_t port = 0;
    int32_t installedVersion = 0;
    int32_t lineType = 0;
};

enum class VersionCheckStatus {
    kNotConnected,  // the server could not be reached
    kNoReply,       // connected, but no complete reply in time
    kReplied,       // reply.done holds
    kStopped,       // options.stop was set; nothing to show
};

struct VersionCheckResult {
    VersionCheckStatus status = VersionCheckStatus::kNotConnected;
    VersionReply reply;
};

// Creates and starts a message client, connects (polling until the connect
// attempt ends), sends the VersionRequest, collects the reply into list and
// destroys the client. The caller empties list first. Blocks the calling
// thread (UpdateThread) for up to about 10 s to connect and 10 s for the
// reply, less when options.stop is set meanwhile.
VersionCheckResult RunVersionCheck(const VersionCheckRequest& request, PatchFileList& list,
                                   const VersionCheckOptions& options = {});

// The box that ends an update attempt after this outcome, texts through
// VersionCheckText; nullopt when the update goes on (code 0: current; code
// 1: download) or was stopped. The box holds copies: the text table's
// answers last only until later lookups reuse its ring.
struct VersionCheckMessage {
    std::string text;
    std::string caption;
};
std::optional<VersionCheckMessage> VersionCheckFailure(const VersionCheckResult& result);
