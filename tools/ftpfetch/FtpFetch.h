// ftpfetch: downloads one file from an FTP server exactly as the patcher
// does (the same downloader, partial file and checks), for the people who
// run mirrors.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

// Runs the tool on UTF-8 arguments (without the program name). Answers the
// exit code: 0 only when the file is there and its MD5 matches. progress
// draws a progress line on err. When stop becomes true (a signal), the
// download is stopped and the partial file kept.
int RunFtpFetch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                bool progress, const std::atomic<bool>* stop = nullptr);
