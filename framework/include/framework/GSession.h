// A client's connection to a game server, and the process-wide gateway to
// the engine's network library.
//
// GSession queues outgoing messages (copies), moves them into one 1024-byte
// send buffer per SendAllMsg and sends that buffer as one package through
// the library's stream transport; received packages are split into messages
// that the derived session handles in OnNetMessage.
//
// Every message starts with a 4-byte header, little-endian:
//   offset 0, 2 bytes: message kind (the derived session's business)
//   offset 2, 2 bytes: total length in bytes, the header included
// and messages follow one another without padding, in a batch and in a
// received package.
//
// Game thread only. The session polls the transport, whose own thread does
// the network work; whether the connection is up is visible only through
// IsValid.
#pragma once

#include <cstdint>
#include <string>

#include "framework/GMsgQueue.h"
#include "framework/GfcApi.h"

namespace Tarnet {
class CStreamTransport;
class IUtil;
}  // namespace Tarnet

namespace GFC {

// Creates the library's named objects and tears the library down at exit.
class GFC_API GNetPlugin {
public:
    static GNetPlugin* Inst();

    // Creates the utility object "gfc_util". path is not used (the library
    // is linked in). Always true.
    bool LoadDll(const char* path);
    Tarnet::IUtil* GetTarnetUtil() const { return m_pUtil; }

    // A stream transport named name (an existing one of that name is reused).
    // The first transport made through the plug-in is initialised here. Null
    // when the name belongs to an object of another class.
    Tarnet::CStreamTransport* NewST(const char* name);
    // A ping object named name; answers the library's copy of the name, or
    // null.
    const char* NewPing(const char* name);

    // Deletes every object of the library. Transports held by sessions
    // dangle afterwards: call it when the sessions are done, before exit.
    void Destroy();

private:
    GNetPlugin();
    ~GNetPlugin();  // Destroy, at process exit
    GNetPlugin(const GNetPlugin&) = delete;
    GNetPlugin& operator=(const GNetPlugin&) = delete;

    int m_nST;               // transports created through NewST
    Tarnet::IUtil* m_pUtil;  // set by LoadDll
};

class GFC_API GSession {
public:
    static constexpr uint32_t kSendBufferBytes = 1024;  // a batch holds at most 1023
    static constexpr uint32_t kMsgHeaderBytes = 4;

    GSession();
    // Releases the queued copies; the transport belongs to the library and
    // is neither closed nor deleted.
    virtual ~GSession();
    GSession(const GSession&) = delete;
    GSession& operator=(const GSession&) = delete;

    // Empties the address and the send buffer. The first call takes a
    // transport named name from GNetPlugin; later calls disconnect and reuse
    // it. Queued messages stay queued.
    virtual void Init(const char* name);

    // Starts connecting (IsValid tells when it is up). Nothing without a
    // prior Init. The ip form takes an address as inet_addr gives it.
    void Open(const char* address, int port);
    void Open(unsigned long ip, int port);
    // Up: a transport exists, is connected and not broken.
    bool IsValid() const;
    // Ends the connection; a later Init reuses the transport.
    void Close();

    // Queues a copy of one message for SendAllMsg.
    virtual void AddNetMsg(void* data, unsigned long size);
    // Moves up to GetMsgsPerSend queued messages into the send buffer and
    // sends it as one package; nothing when the queue is empty. A message
    // that would make the batch 1024 bytes or more is dropped. Queued
    // messages wait while there is no transport.
    virtual void SendAllMsg();
    // Takes every package the transport has received and parses it; answers
    // the number of messages handled.
    int RecvAllMsg();

    // Packages the transport has not sent yet.
    int GetTransportBuffer();
    Tarnet::CStreamTransport* GetTarnetInterface() const { return m_pTransport; }
    const std::string& GetAddress() const { return m_address; }
    int GetQueuedMsgNum() const { return m_msgQueue.Size(); }

    // How many queued messages one SendAllMsg moves (1 at construction;
    // values below 1 count as 1).
    void SetMsgsPerSend(int n) { m_msgsPerSend = n < 1 ? 1 : n; }
    int GetMsgsPerSend() const { return m_msgsPerSend; }

protected:
    // Appends a message to the send buffer when the batch stays below 1024
    // bytes; otherwise nothing.
    void AddMsgToSendBuf(void* data, unsigned long size);

    // Walks the messages of one package, calling OnNetMessage for each and
    // advancing by what it answers, until the package ends or it answers 0.
    // A message whose header is cut off, or whose length is below 4 or runs
    // past the package, ends the walk before the handler sees it (logged).
    // Answers the number of messages handled.
    virtual int ParsePackage(unsigned char* data, unsigned long size);

    // Handles one message; answers the bytes it took (0 stops the package).
    // msg has at least its 4 header bytes and the length its header gives.
    // The base body answers the header's length.
    virtual unsigned long OnNetMessage(void* msg) = 0;

private:
    std::string m_address;
    Tarnet::CStreamTransport* m_pTransport;  // the library's; null before Init
    GMsgQueue m_msgQueue;
    int m_msgsPerSend;
    uint8_t m_sendBuf[kSendBufferBytes];
    uint32_t m_sendUsed;   // bytes in m_sendBuf
    uint32_t m_sendCount;  // messages in m_sendBuf
};

// The length field of a message header (offset 2, little-endian).
inline uint16_t NetMsgLength(const void* msg) {
    const uint8_t* p = static_cast<const uint8_t*>(msg);
    return static_cast<uint16_t>(p[2] | (p[3] << 8));
}

}  // namespace GFC
