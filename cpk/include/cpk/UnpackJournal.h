// The undo journal of an update's unpacking.
//
// An update changes many files and archives one after another; a full disk,
// a damaged archive or a stop can end it anywhere in between. The journal
// keeps, before the walk changes anything, what it needs to put the game
// folder back exactly as it was before the update began:
//  - a loose file about to be replaced is moved aside into the journal's
//    folder (a rename: the journal lives in download\ of the game folder, on
//    the same volume);
//  - a file, folder or archive about to be created is noted, so that it can
//    be removed again;
//  - an archive about to be changed gets its length noted and, through its
//    write guard (CPKWriteGuard), the old bytes of every range a change
//    writes over or cuts away, each range once.
// Rollback puts all of it back, newest first; Commit forgets it once the
// update is complete and its version recorded.
//
// The journal is written ahead of each change and survives a kill: a run
// that is killed and started again for the same update takes its journal
// up where it was, so that a later rollback still reaches the state before
// the update's first change. A journal left by another update is rolled
// back (or, when that update completed, committed) before a new one starts.
// What the system has been given survives a kill of the program. A power
// cut is survived too: every journal line reaches the disk before the
// change it notes, and every undo record before the first write over the
// bytes it keeps (the archive's own writes follow). A rollback makes its
// renames and deletions durable before it forgets the journal. A read that
// fails (a damaged disk) fails the rollback and keeps the journal: the next
// start tries again, rather than leaving some old bytes and some new.
//
// Layout of the folder: "journal.txt", one line per change, tab-separated
// (GBK paths last): "update KEY", "file N PATH" (PATH moved to N.bak),
// "new PATH", "folder PATH", "archive N LENGTH PATH" (old bytes in N.undo:
// records of an 8-byte offset, a 4-byte length and the bytes, little-endian),
// "newarchive PATH".
//
// Threads: one object, one thread (the unpacking's).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cpk/CPKVfs.h"
#include "cpk/DiscIOMgr.h"
#include "platform/file.h"

class UnpackJournal {
public:
    // The journal lives in folder (system path, e.g. "download\undo"), which
    // is created when a journal starts. It keeps what lies inside root, the
    // game folder ("" for the current folder), and nothing else: paths are
    // kept relative to it, so a journal never reaches outside it.
    // Its files are written, read and flushed through disk.
    explicit UnpackJournal(std::string folder, std::string root = "",
                           DiscIOMgr::Disk& disk = DiscIOMgr::Disk::System());
    ~UnpackJournal();
    UnpackJournal(const UnpackJournal&) = delete;
    UnpackJournal& operator=(const UnpackJournal&) = delete;

    // The update a journal on disk belongs to; "" when there is none.
    std::string PendingKey() const;
    // The version at the front of a key ("103 ..." -> 103); -1 when none.
    static int32_t KeyVersion(const std::string& key);

    // Starts keeping for the update named key: a journal of that update on
    // disk is taken up where it was, none is started anew. False when the
    // journal cannot be written, or another update's journal is there (roll
    // it back or commit it first).
    bool Begin(const std::string& key);
    bool active() const { return journal_.IsOpen(); }

    // Before the walk writes the loose file at path (and the folders on the
    // way to it): an existing file is moved aside, a new one noted.
    bool BeforeFile(const std::string& path);
    // Before the walk creates the folder path and the folders on the way.
    bool BeforeFolders(const std::string& path);
    // Before the walk changes or creates the archive at path (and creates
    // the folders on the way): *guard receives the guard to set on the
    // archive (null for an archive this update created).
    bool BeforeArchive(const std::string& path, CPKWriteGuard** guard);

    // Puts everything back as it was before the update's first change and
    // removes the journal. False when something could not be put back; the
    // journal then stays, and a later rollback finishes it.
    bool Rollback();
    // The update is complete: removes the journal and what it kept.
    bool Commit();

    // What the last failure was about (a path), for the message.
    const std::string& failedPath() const { return failedPath_; }

private:
    enum class Kind { kFile, kNew, kFolder, kArchive, kNewArchive };
    struct Entry {
        Kind kind;
        int number = 0;       // file, archive: the name of what was kept
        uint64_t length = 0;  // archive: its length before the update
        std::string path;     // relative to root
    };
    class ArchiveUndo;

    std::string Kept(int number, const char* extension) const;
    // path (as the walk names it) relative to root; false when it does not
    // lie inside root or names no file the walk could write.
    bool Relative(const std::string& path, std::string& rel) const;
    std::string Full(const std::string& rel) const;
    bool Load(const std::string& key);
    // The steps every change takes first: its path relative to root, and the
    // folders on the way noted. kDone when there is nothing (more) to keep.
    enum class Step { kFailed, kDone, kKeep };
    Step Prepare(const std::string& path, std::string& rel);
    bool Append(const std::string& line);
    bool Fail(const std::string& path);
    void Note(const Entry& entry);
    int NextNumber();
    bool Known(const std::string& path) const;
    bool RemoveFolderContents();

    std::string folder_;
    std::string root_;
    DiscIOMgr::Disk& disk_;
    platform::File journal_;
    uint64_t journalEnd_ = 0;  // where the next line goes
    std::vector<Entry> entries_;
    std::map<std::string, size_t> byPath_;  // lower-cased path -> entry
    std::map<std::string, std::unique_ptr<ArchiveUndo>> archives_;
    int nextNumber_ = 1;
    std::string failedPath_;
};
