// Unpacking a downloaded patch package into the game folder.
//
// A package is itself a CPK archive whose tree mirrors the game folder: a
// directory whose name ends in ".cpk" stands for one of the game's archives
// and holds the entries to merge into it; every other directory is a folder
// on disk; every other file is a loose file written to disk.
//
// The walk works on an UnpackContext that its owner (the update driver, or
// a tool) fills in and keeps for the whole update. Results follow the
// patcher's convention: 1 done, 0 stopped or failed. The walk runs on one
// thread; another thread may only set stopFlag and read the two signals.
//
// Whatever a package holds, nothing is written outside the game folder: an
// entry whose path would leave it stops the unpacking with a message. Each
// ".cpk" directory is merged into its archive as one batch, so that a crash
// leaves the archive as it was before the merge or as it is after it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "cpk/DiscIOMgr.h"

class CPKVfs;
class UnpackJournal;

// Where the walk reports progress: the update dialog, which turns it into
// UM_PROGRESS (1131) with wParam bar and lParam percent.
class UnpackEvents {
public:
    virtual ~UnpackEvents() = default;
    // Called on the walk's thread after every file written or merged.
    virtual void Progress(uint32_t bar, uint32_t percent) = 0;
};

// The update bar (the download bar is 0).
constexpr uint32_t kUpdateBar = 1;

// The state of the update that the walk uses.
struct UnpackContext {
    // 1: stop as soon as possible. Set by the dialog's thread, polled by the
    // walk before each file and each group of subdirectories.
    std::atomic<int> stopFlag{0};
    // Progress goes here (none: not reported).
    UnpackEvents* events = nullptr;
    // Owner window of the walk's message boxes (the message-box service of
    // the platform layer); null for none.
    void* owner = nullptr;
    // Live entries of all packages together, for percentages.
    uint32_t total = 0;
    // The patcher's own executable, name part only: a package file of that
    // name (in any letter case) at its root goes to "download\" instead,
    // under this name.
    std::string executableName;
    // Set when a package carried the patcher's executable.
    std::atomic<int> selfUpdatePending{0};
    // Set when a package carried "updagte.ini", the server list file.
    std::atomic<int> serverListChangedSeen{0};
    // The game folder (system path); empty for the current folder.
    std::string gameFolder;
    // Keeps what the walk changes, so that the update can be undone (none:
    // nothing is kept). The walk stops when it cannot keep something.
    UnpackJournal* journal = nullptr;
    // Package entries the walk went past without writing them: ones that
    // cannot be read, and files the user chose to skip. An update with any
    // of them is not complete.
    std::vector<std::string> skipped;
    // What the walk stopped at when it failed (a path), where it knows.
    std::string failedPath;
    // The disk the walk writes extracted files through; the archives it
    // merges into write through their own.
    DiscIOMgr::Disk* disk = &DiscIOMgr::Disk::System();
};

// Walks the package's directory crc (0: its root): folders are created,
// ".cpk" directories merged into the game's archives (target is opened and
// closed as needed), loose files written. counter counts the visited
// entries across all packages.
int UnpackDirectory(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package,
                    CPKVfs& target);
// Merges the package's directory crc (a ".cpk" directory or one below it)
// with everything below it into target, raw: nothing is decompressed. The
// subdirectories are made first, then the files follow in the order their
// bytes lie in the package. An entry the archive already holds with the same bytes is
// left as it is. Called inside a batch of target (UnpackDirectory opens it).
int MergeIntoArchive(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package,
                     CPKVfs& target);
// Writes the package's file crc to disk: 1 done or skipped, 0 stop.
int ExtractToDisk(UnpackContext& dialog, uint32_t crc, uint32_t& counter, CPKVfs& package);

// 1 when path has a component ending in ".cpk" (any letter case) followed
// by a backslash: archivePart is the text before that backslash, innerPart
// the text after it. 0 otherwise, the outputs untouched.
int SplitArchivePath(const std::string& path, std::string& archivePart, std::string& innerPart);

// The resume index: "nIndex" of section "config" in "unpack_log.ini" of the
// folder (system path; the patcher's own folder when omitted), 0 when absent.
int ReadResumeIndex();
int ReadResumeIndex(const std::string& folder);
// Stores the index; 0 deletes the file. 1 on success; a failed write deletes
// the file and answers 0.
int WriteResumeIndex(int index);
int WriteResumeIndex(int index, const std::string& folder);
// The resume index of one update, named by key (its owner's name for what
// the update is: the patcher's is the target version and the packages),
// kept beside the index as "szUpdate". An index stored for another update,
// or without a name (by an earlier patcher), does not apply: 0.
int ReadResumeIndex(const std::string& folder, const std::string& key);
int WriteResumeIndex(int index, const std::string& folder, const std::string& key);
