// drevik --servers: builds the server list from update.ini in the game
// folder (the current directory) as the patcher does at start-up, and prints
// the rows, each server's login addresses with their times, the address
// picked for each server, the stored choice, the line type and the resolved
// version servers. For the people who set up update.ini: they see what the
// patcher will make of their file without starting an update. Nothing is
// written; boxes go through the message-box service.
#pragma once

#include <ostream>

#include "patcher/ServerList.h"

// Exit codes of drevik --servers.
constexpr int kServersOk = 0;
constexpr int kServersNoConfig = 1;  // update.ini missing or empty
constexpr int kServersProblems = 2;  // the file reads, but names something that cannot work

// Prints to out in UTF-8. The problems counted for kServersProblems: no
// servers, a server without login addresses, no version servers, a version
// server that does not resolve.
int RunServersCommand(std::ostream& out, const ServerListOptions& options = {});
