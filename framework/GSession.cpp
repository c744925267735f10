#include "framework/GSession.h"

#include <cstring>

#include "lumo/Log.h"
#include "tarnet/StreamTransport.h"
#include "tarnet/Tarnet.h"
#include "tarnet/Util.h"

namespace GFC {

// ---------------------------------------------------------------------------
// GNetPlugin

GNetPlugin::GNetPlugin() : m_nST(0), m_pUtil(nullptr) {}

GNetPlugin::~GNetPlugin() {
    Destroy();
}

GNetPlugin* GNetPlugin::Inst() {
    static GNetPlugin plugin;
    return &plugin;
}

bool GNetPlugin::LoadDll(const char* /*path*/) {
    m_nST = 0;
    Tarnet::CloneObj("gfc_util", "util");
    m_pUtil = Tarnet::GetInterfaceAs<Tarnet::IUtil>("gfc_util");
    return true;
}

Tarnet::CStreamTransport* GNetPlugin::NewST(const char* name) {
    Tarnet::CloneObj(name, "stream_transport");
    Tarnet::CStreamTransport* st = Tarnet::GetInterfaceAs<Tarnet::CStreamTransport>(name);
    if (!st) {
        Lumo::_WriteLogString("Net transport not created,%s\r\n", name ? name : "");
        return nullptr;
    }
    if (m_nST == 0) {
        st->Init(0);
    }
    ++m_nST;
    return st;
}

const char* GNetPlugin::NewPing(const char* name) {
    return Tarnet::CloneObj(name, "ping");
}

void GNetPlugin::Destroy() {
    m_pUtil = nullptr;
    Tarnet::DestroyEngine();
}

// ---------------------------------------------------------------------------
// GSession

GSession::GSession()
    : m_pTransport(nullptr), m_msgsPerSend(1), m_sendBuf{}, m_sendUsed(0), m_sendCount(0) {}

GSession::~GSession() = default;

void GSession::Init(const char* name) {
    m_address.clear();
    if (!m_pTransport) {
        m_pTransport = GNetPlugin::Inst()->NewST(name);
        if (m_pTransport) {
            m_pTransport->Init(0);
        }
    } else {
        m_pTransport->Disconnect();
    }
    std::memset(m_sendBuf, 0, sizeof m_sendBuf);
    m_sendUsed = 0;
    m_sendCount = 0;
}

void GSession::Open(const char* address, int port) {
    if (!m_pTransport || !address) {
        return;
    }
    m_pTransport->TryToConnect(address, port);
    m_address = address;
}

void GSession::Open(unsigned long ip, int port) {
    if (!m_pTransport) {
        return;
    }
    const std::string text = m_pTransport->IP2String(ip);
    m_pTransport->TryToConnect(text.c_str(), port);
    m_address = text;
}

bool GSession::IsValid() const {
    return m_pTransport && m_pTransport->IsConnected() && !m_pTransport->IsBroken();
}

void GSession::Close() {
    if (m_pTransport) {
        m_pTransport->Destroy();
    }
}

void GSession::AddNetMsg(void* data, unsigned long size) {
    m_msgQueue.PushMsg(data, size);
}

void GSession::AddMsgToSendBuf(void* data, unsigned long size) {
    // used + size < 1024, written so that a huge size cannot wrap around.
    if (data && size < kSendBufferBytes - m_sendUsed) {
        std::memcpy(m_sendBuf + m_sendUsed, data, size);
        m_sendUsed += static_cast<uint32_t>(size);
        ++m_sendCount;
    }
}

void GSession::SendAllMsg() {
    if (m_msgQueue.IsEmpty() || !m_pTransport) {
        return;
    }
    for (int i = 0; i < m_msgsPerSend && !m_msgQueue.IsEmpty(); ++i) {
        const GMsgQueue::tagMsg msg = m_msgQueue.GetHeadMsg();
        AddMsgToSendBuf(msg.data, msg.size);  // one too big for the batch is dropped
        m_msgQueue.PopMsg();
    }
    m_pTransport->Send(m_sendBuf, m_sendUsed);
    std::memset(m_sendBuf, 0, sizeof m_sendBuf);
    m_sendUsed = 0;
    m_sendCount = 0;
}

int GSession::RecvAllMsg() {
    if (!m_pTransport) {
        return 0;
    }
    int total = 0;
    unsigned long size = 0;
    unsigned char* package = m_pTransport->Recv(size);
    while (package) {
        total += ParsePackage(package, size);
        m_pTransport->FreeRecved(package);
        package = m_pTransport->Recv(size);
    }
    return total;
}

int GSession::ParsePackage(unsigned char* data, unsigned long size) {
    int count = 0;
    unsigned long at = 0;
    while (at < size) {
        const unsigned long left = size - at;
        // The handler trusts the header's length: it must lie inside the
        // package, and cover at least the header, or the walk would stall or
        // run past the end.
        const unsigned long length = left >= kMsgHeaderBytes ? NetMsgLength(data + at) : 0;
        if (length < kMsgHeaderBytes || length > left) {
            Lumo::_WriteLogString("Net package damaged,len=%lu,at=%lu,size=%lu\r\n", length, at,
                                  size);
            break;
        }
        const unsigned long used = OnNetMessage(data + at);
        if (used == 0) {
            break;
        }
        ++count;
        if (used > left) {
            break;  // the handler claimed more than the package holds
        }
        at += used;
    }
    return count;
}

unsigned long GSession::OnNetMessage(void* msg) {
    return NetMsgLength(msg);
}

int GSession::GetTransportBuffer() {
    return m_pTransport ? m_pTransport->GetUnsendPackageNum() : 0;
}

}  // namespace GFC
