#include "version_servers.h"

#include "platform/fs.h"

namespace testsupport {

LoopbackVersionServer::LoopbackVersionServer(const std::string& manifest,
                                             const std::map<std::string, std::string>& files,
                                             versiond::ServerOptions options) {
    root_ = dir_ / "root";
    platform::CreateDirectory(root_);
    for (const auto& [path, contents] : files) {
        WriteFile(root_ + "\\" + path, contents);
    }
    auto parsed = versiond::ParseManifest(manifest, &error_);
    if (!parsed) {
        return;
    }
    auto catalog = versiond::Catalog::Build(*parsed, root_, &error_);
    if (!catalog) {
        return;
    }
    // Loopback only: a caller may pick its own loopback address and port.
    if (options.address.rfind("127.", 0) != 0) {
        options.address = "127.0.0.1";
        options.port = 0;
    }
    options.log = [this](const std::string& line) {
        std::lock_guard<std::mutex> lock(logMu_);
        log_.push_back(line);
    };
    server_ = std::make_unique<versiond::VersionServer>(
        std::make_shared<const versiond::Catalog>(std::move(*catalog)), options);
    if (auto s = server_->Listen(); !s) {
        error_ = "listen: " + s.error().Message();
        return;
    }
    port_ = server_->port();
    thread_ = std::thread([this] { server_->Run(stop_); });
}

LoopbackVersionServer::~LoopbackVersionServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<std::string> LoopbackVersionServer::log() const {
    std::lock_guard<std::mutex> lock(logMu_);
    return log_;
}

SilentServer::SilentServer() {
    auto l = platform::TcpSocket::Listen("127.0.0.1", 0, 16);
    if (!l) {
        return;
    }
    listener_ = std::move(l.value());
    port_ = *listener_.LocalPort();
    (void)listener_.SetNonBlocking(true);
    thread_ = std::thread([this] {
        std::vector<platform::TcpSocket> conns;
        std::vector<platform::PollItem> items;
        while (!stop_) {
            items.clear();
            for (const auto& c : conns) {
                platform::PollItem item;
                item.socket = &c;
                item.wantRead = true;
                items.push_back(item);
            }
            platform::PollItem listen;
            listen.socket = &listener_;
            listen.wantRead = true;
            items.push_back(listen);
            if (!platform::Poll(items, 50)) {
                continue;
            }
            for (size_t i = 0; i + 1 < items.size(); ++i) {
                if (!items[i].readable && !items[i].failed) {
                    continue;
                }
                char buffer[512];
                auto r = conns[i].Recv(buffer, sizeof buffer);
                if (r && *r > 0) {
                    bytesRead_ += *r;
                } else if (!r && platform::IsWouldBlock(r.error())) {
                    continue;
                } else {
                    conns[i].Close();
                }
            }
            std::vector<platform::TcpSocket> open;
            for (auto& c : conns) {
                if (c.IsOpen()) {
                    open.push_back(std::move(c));
                }
            }
            conns = std::move(open);
            if (items.back().readable) {
                while (auto s = listener_.Accept()) {
                    (void)s->SetNonBlocking(true);
                    conns.push_back(std::move(s.value()));
                    ++accepted_;
                }
            }
        }
    });
}

SilentServer::~SilentServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

ScriptedVersionServer::ScriptedVersionServer(const std::string& address, uint16_t port,
                                             Answer answer)
    : answer_(std::move(answer)) {
    auto l = platform::TcpSocket::Listen(address, port, 16);
    if (!l) {
        return;
    }
    listener_ = std::move(l.value());
    (void)listener_.SetNonBlocking(true);
    thread_ = std::thread([this] {
        while (!stop_) {
            if (listener_.WaitReadable(50) != platform::WaitResult::kReady) {
                continue;
            }
            auto s = listener_.Accept();
            if (s) {
                Serve(s.value());
            }
        }
    });
}

void ScriptedVersionServer::Serve(platform::TcpSocket& connection) {
    (void)connection.SetNonBlocking(true);
    std::vector<uint8_t> in;
    bool answered = false;
    while (!stop_) {
        if (connection.WaitReadable(50) != platform::WaitResult::kReady) {
            continue;
        }
        uint8_t buffer[512];
        auto got = connection.Recv(buffer, sizeof buffer);
        if (!got && platform::IsWouldBlock(got.error())) {
            continue;
        }
        if (!got || *got == 0) {
            return;  // the client is done
        }
        in.insert(in.end(), buffer, buffer + *got);
        if (answered || in.size() < kFrameLengthSize + kVersionRequestSize) {
            continue;
        }
        auto request =
            DecodeVersionRequest(in.data() + kFrameLengthSize, in.size() - kFrameLengthSize);
        if (!request) {
            return;
        }
        const std::vector<uint8_t> out = answer_(*request);
        (void)connection.SetNonBlocking(false);
        if (!connection.SendAll(out.data(), out.size())) {
            return;
        }
        (void)connection.SetNonBlocking(true);
        answered = true;
        ++answered_;
    }
}

ScriptedVersionServer::~ScriptedVersionServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<uint8_t> ScriptedAnswer(const IPv4Bytes& ftp, int32_t target,
                                    const std::vector<FileListItem>& files) {
    std::vector<uint8_t> out = MakeFrame(EncodeDownloadAddress(ftp));
    const std::vector<uint8_t> result = MakeFrame(
        EncodeVersionResult({target, static_cast<uint32_t>(files.size()), kVersionFilesFollow}));
    out.insert(out.end(), result.begin(), result.end());
    if (auto bodies = EncodeFileList(files)) {
        for (const std::vector<uint8_t>& body : *bodies) {
            const std::vector<uint8_t> frame = MakeFrame(body);
            out.insert(out.end(), frame.begin(), frame.end());
        }
    }
    return out;
}

RefusingPort::RefusingPort() {
    auto s = platform::TcpSocket::Bind("127.0.0.1", 0);
    if (!s) {
        return;
    }
    held_ = std::move(s.value());
    auto port = held_.LocalPort();
    port_ = port ? *port : 0;
}

}  // namespace testsupport
