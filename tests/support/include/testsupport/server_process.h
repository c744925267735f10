// What the fixtures that run a real server program share: a free loopback
// port, whether a server accepts there yet, and stopping it for sure.
#pragma once

#include <cstdint>
#include <string>

#include "platform/process.h"

namespace testsupport {

// How long a server has to end after it was asked to, before it is killed.
constexpr int kServerStopTimeoutMs = 10000;

// A port nobody listens on now at address; the server binds it a moment
// later (and may find it taken meanwhile: start again then). 0 when none.
uint16_t FreePort(const std::string& address);

// Whether a connection to address:port is accepted now.
bool Accepts(const std::string& address, uint16_t port);

// Asks a running server to end (SIGTERM), kills it when it has not ended
// within kServerStopTimeoutMs, and reaps it. Does nothing for no process.
void StopServer(platform::Process& process);

}  // namespace testsupport
