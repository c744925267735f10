#include "patcher/VersionCheck.h"

#include "patcher/text/LocalText.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/text.h"

// ---- Texts ----

namespace {

std::mutex& TextLookupLock() {
    static std::mutex mu;
    return mu;
}

TextLookup& InstalledTextLookup() {
    static TextLookup lookup;
    return lookup;
}

}  // namespace

void SetVersionCheckTextLookup(TextLookup lookup) {
    std::lock_guard<std::mutex> lock(TextLookupLock());
    InstalledTextLookup() = std::move(lookup);
}

const char* VersionCheckText(const char* gbkDefault) {
    TextLookup lookup;
    {
        std::lock_guard<std::mutex> lock(TextLookupLock());
        lookup = InstalledTextLookup();
    }
    return lookup ? lookup(gbkDefault) : GetLocalText(gbkDefault);
}

// ---- Reply collection ----

std::string VersionReply::DownloadAddress() const {
    return hasAddress ? DottedAddress(address) : std::string();
}

bool VersionReplyCollector::Take(const uint8_t* body, size_t size) {
    auto type = MessageType(body, size);
    if (!type) {
        return reply_.done;
    }
    switch (*type) {
        case kMsgDownloadAddress:
            if (auto a = DecodeDownloadAddress(body, size)) {
                reply_.address = *a;
                reply_.hasAddress = true;
            }
            break;
        case kMsgWebMirror:
            if (auto base = DecodeWebMirror(body, size);
                base && reply_.webMirrors.size() < kWebMirrorsInReply &&
                std::find(reply_.webMirrors.begin(), reply_.webMirrors.end(), *base) ==
                    reply_.webMirrors.end()) {
                reply_.webMirrors.push_back(std::move(*base));
            }
            break;
        case kMsgVersionResult:
            if (auto r = DecodeVersionResult(body, size)) {
                reply_.targetVersion = r->targetVersion;
                reply_.code = r->code;
                if (r->code != kVersionFilesFollow) {
                    reply_.done = true;
                }
                reply_.expected = r->fileCount;
            }
            break;
        case kMsgFileList:
            if (auto items = DecodeFileList(body, size)) {
                std::vector<PatchFileEntry> entries;
                entries.reserve(items->size());
                for (const FileListItem& item : *items) {
                    auto e = MakePatchFileEntry(item);
                    if (!e) {
                        reply_.refusedPath = item.path;
                        reply_.refusedWhy = PatchPathProblem(item.path);
                        if (reply_.refusedWhy.empty()) {
                            reply_.refusedWhy = "too long for the download folder";
                        }
                        reply_.done = true;
                        return true;
                    }
                    entries.push_back(std::move(*e));
                }
                for (const PatchFileEntry& e : entries) {
                    list_.Append(e);
                }
                if (list_.Count() >= reply_.expected) {
                    reply_.done = true;
                }
            }
            break;
        default:
            break;
    }
    return reply_.done;
}

namespace {

void Pause(const VersionCheckOptions& options, uint32_t ms) {
    if (options.sleep) {
        options.sleep(ms);
    } else {
        platform::SleepMs(ms);
    }
}

bool Stopped(const VersionCheckOptions& options) {
    return options.stop && options.stop->load();
}

}  // namespace

VersionReply CollectVersionReply(CMsgClient& client, PatchFileList& list,
                                 const VersionCheckOptions& options) {
    VersionReplyCollector collector(list);
    for (int i = 0; i < options.replyPolls && !collector.reply().done && !Stopped(options); ++i) {
        Pause(options, options.replyPollPeriodMs);
        std::unique_ptr<MsgBuffer> frame = client.Receive();
        if (!frame) {
            continue;
        }
        collector.Take(frame->body(), frame->bodySize());
        client.Release(std::move(frame));
    }
    return collector.reply();
}

// ---- The whole exchange ----

VersionCheckResult RunVersionCheck(const VersionCheckRequest& request, PatchFileList& list,
                                   const VersionCheckOptions& options) {
    VersionCheckResult result;
    CMsgClient client(options.client);
    client.Start();
    client.Connect(request.address, request.port);
    while (client.IsConnecting() && !Stopped(options)) {
        Pause(options, options.connectPollPeriodMs);
    }
    if (Stopped(options)) {
        client.Destroy();
        result.status = VersionCheckStatus::kStopped;
        return result;
    }
    if (!client.IsConnected()) {
        client.Destroy();
        result.status = VersionCheckStatus::kNotConnected;
        return result;
    }
    std::vector<uint8_t> body =
        EncodeVersionRequest(VersionRequest{request.installedVersion, request.lineType});
    client.Send(body.data(), body.size());
    result.reply = CollectVersionReply(client, list, options);
    // A complete reply is all the check wants: the update does not wait for
    // the server to close its side as well.
    client.Destroy(result.reply.done ? CMsgClient::CloseMode::kReplyTaken
                                     : CMsgClient::CloseMode::kDrain);
    if (result.reply.done) {
        result.status = VersionCheckStatus::kReplied;
    } else {
        result.status =
            Stopped(options) ? VersionCheckStatus::kStopped : VersionCheckStatus::kNoReply;
    }
    return result;
}

std::optional<VersionCheckMessage> VersionCheckFailure(const VersionCheckResult& result) {
    const char* text = nullptr;
    switch (result.status) {
        case VersionCheckStatus::kNotConnected:
            text = GBK("无法连接服务器");
            break;
        case VersionCheckStatus::kNoReply:
            text = GBK("超过时限无应答");
            break;
        case VersionCheckStatus::kStopped:
            break;
        case VersionCheckStatus::kReplied:
            if (!result.reply.refusedPath.empty()) {
                // Its bytes are the server's: shown with the unprintable ones
                // spelled out.
                std::string shown;
                for (char c : result.reply.refusedPath) {
                    const auto b = static_cast<unsigned char>(c);
                    if (b < 0x20 || b == 0x7F) {
                        static const char kHex[] = "0123456789abcdef";
                        shown += std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
                    } else {
                        shown += c;
                    }
                }
                return VersionCheckMessage{
                    std::string(VersionCheckText(
                        GBK("版本检测服务器发来的补丁文件名不能使用,已停止更新"))) +
                        "\n" + shown + ": " + result.reply.refusedWhy,
                    VersionCheckText(GBK("提示"))};
            }
            if (result.reply.code == kVersionNoPath) {
                text = GBK("版本号不正确或者服务器未找到升级路径.");
            } else if (result.reply.code == kVersionEmptyPath) {
                text = GBK("错误的升级路径,没有可下载文件.");
            }
            break;
    }
    if (!text) {
        return std::nullopt;
    }
    return VersionCheckMessage{VersionCheckText(text), VersionCheckText(GBK("提示"))};
}
