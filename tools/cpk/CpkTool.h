// The archive tool for the people who build game data and patches:
//
//   cpk create ARCHIVE
//   cpk add ARCHIVE FILE... [--as INNER] [--method stored|lzo|lzss] [--windowed]
//   cpk ls ARCHIVE [-l]
//   cpk cat ARCHIVE INNER
//   cpk extract ARCHIVE -C DIR [INNER...]
//   cpk rm ARCHIVE INNER
//   cpk info ARCHIVE
//   cpk check ARCHIVE
//   cpk compact ARCHIVE
//   cpk apply PACKAGE... --game DIR [--exe NAME] [--yes | --abort]
//
// Changes are crash-safe: "add" puts all its files in as one change, and
// "compact" writes the new archive beside the old one and moves it over it,
// so that a stop at any moment leaves the archive as it was or as it is
// after the command. ls, cat, extract, info and check only read: they work
// on archives the user may not write and on ones the game holds open.
//
// Paths on the command line and in the output are UTF-8; inner paths are
// backslash-separated ("/" is accepted too) and stored as GBK.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cpk/DiscIOMgr.h"

// Runs one command; args[0] is the program name. Contents (cat) and listings
// go to out, errors and the archive layer's messages to err. progress
// allows a progress line on err for long operations (err is a terminal).
// Archives, and the files apply extracts, are written through disk.
// Answers the exit code: 0 success, 1 failure.
int RunCpkTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress, DiscIOMgr::Disk& disk = DiscIOMgr::Disk::System());
