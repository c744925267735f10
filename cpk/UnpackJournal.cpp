// The undo journal of an update's unpacking (see the header for the design).
//
// [SECTION] helpers
// [SECTION] archives: the old bytes of every range overwritten
// [SECTION] starting and taking up a journal
// [SECTION] before each change
// [SECTION] rollback and commit
#include "cpk/UnpackJournal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>

#include "cpk/CPKPath.h"
#include "cpk/DiscIOMgr.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

constexpr const char kJournalFile[] = "journal.txt";
constexpr const char kFirstLine[] = "update";
// Old bytes of an archive are read and kept in pieces of at most this size.
constexpr uint64_t kKeepPiece = uint64_t{1} << 20;
// An undo record: 8-byte offset, 4-byte length, then the bytes.
constexpr size_t kRecordHead = 12;
// No archive is this long or longer (its offsets are 31-bit).
constexpr uint64_t kArchiveLengthMax = uint64_t{1} << 31;

// [SECTION] helpers

std::string Lower(const std::string& path) {
    std::string s = platform::GbkToLowerAscii(path);
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

// Where each "\" (or "/") of path is, after position 0, skipping the trail
// bytes of double-byte characters.
std::vector<size_t> Separators(const std::string& path) {
    std::vector<size_t> out;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (platform::IsGbkLeadByte(c)) {
            ++i;
        } else if ((c == '\\' || c == '/') && i > 0) {
            out.push_back(i);
        }
    }
    return out;
}

std::string Parent(const std::string& path) {
    std::vector<size_t> seps = Separators(path);
    return seps.empty() ? std::string() : path.substr(0, seps.back());
}

// A path the journal's lines can hold: no tab, no line break.
bool Writable(const std::string& path) {
    return !path.empty() && path.find_first_of("\t\r\n") == std::string::npos;
}

void PutLe(uint8_t* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

uint64_t GetLe(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return v;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return parts;
        }
        start = tab + 1;
    }
}

bool ParseNumber(const std::string& text, uint64_t& out) {
    if (text.empty() || text.size() > 19 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

// Reads exactly count bytes at offset; false when the disk fails the read
// or gives fewer (the reason goes to DiscIOMgr's last error).
bool ReadExactly(DiscIOMgr::Disk& disk, platform::File& file, uint64_t offset, void* buffer,
                 size_t count) {
    auto got = disk.ReadAt(file, offset, buffer, count);
    if (!got) {
        DiscIOMgr::SetLastError(got.error().code);
        return false;
    }
    if (*got != count) {
        DiscIOMgr::SetLastError(0);
        return false;
    }
    return true;
}

// Writes all of count bytes at offset through disk.
bool WriteAt(DiscIOMgr::Disk& disk, platform::File& file, uint64_t offset, const void* bytes,
             size_t count) {
    if (!file.Seek(static_cast<int64_t>(offset), platform::SeekFrom::kBegin)) {
        return false;
    }
    auto wrote = disk.Write(file, bytes, count);
    if (!wrote || *wrote != count) {
        // The reason (a full disk, mostly) goes to the message.
        DiscIOMgr::SetLastError(wrote ? platform::ErrorDiskFull() : wrote.error().code);
        return false;
    }
    return true;
}

// Walks the undo records of an archive in undo: calls found(offset, length,
// at) for each whole one, where at is the position of its bytes in undo,
// and answers where the whole records end (a record a kill cut short is not
// counted). False from found ends the walk. A read that fails ends it too,
// and sets failed: what lies past it is unknown, not absent.
template <typename Found>
uint64_t WalkRecords(DiscIOMgr::Disk& disk, platform::File& undo, bool& failed, Found found) {
    failed = false;
    auto size = undo.Size();
    if (!size) {
        DiscIOMgr::SetLastError(size.error().code);
        failed = true;
        return 0;
    }
    uint64_t at = 0;
    while (*size - at >= kRecordHead) {
        uint8_t head[kRecordHead];
        if (!ReadExactly(disk, undo, at, head, sizeof head)) {
            failed = true;
            break;
        }
        const uint64_t offset = GetLe(head, 8);
        const uint64_t length = GetLe(head + 8, 4);
        if (*size - at - kRecordHead < length || !found(offset, length, at + kRecordHead)) {
            break;
        }
        at += kRecordHead + length;
    }
    return at;
}

}  // namespace

// [SECTION] archives: the old bytes of every range overwritten

class UnpackJournal::ArchiveUndo final : public CPKWriteGuard {
public:
    ArchiveUndo(std::string undoPath, uint64_t length, DiscIOMgr::Disk& disk)
        : undoPath_(std::move(undoPath)), length_(length), disk_(disk) {}

    // Takes up what an earlier run kept: the ranges already kept are not
    // kept again (their oldest bytes are the ones that count).
    bool Load() {
        if (!platform::Exists(undoPath_)) {
            return true;
        }
        if (!OpenUndo()) {
            return false;
        }
        bool failed = false;
        const uint64_t whole =
            WalkRecords(disk_, undo_, failed, [this](uint64_t offset, uint64_t n, uint64_t) {
                // Kept ranges lie inside the old length; anything else ends
                // what can be trusted.
                if (offset > length_ || n > length_ - offset) {
                    return false;
                }
                Mark(offset, offset + n);
                return true;
            });
        if (failed) {
            return false;  // the records past the failed read stay for a later try
        }
        // A record a kill cut short goes; the next one starts after the last
        // whole one.
        end_ = whole;
        return undo_.Seek(static_cast<int64_t>(whole), platform::SeekFrom::kBegin).ok() &&
               undo_.SetEndOfFile().ok();
    }

    bool BeforeOverwrite(platform::File& file, uint64_t offset, uint64_t length) override {
        const uint64_t end = std::min(offset + length, length_);
        bool kept = false;
        for (uint64_t at = offset; at < end;) {
            // Skip what is kept already.
            auto next = kept_.upper_bound(at);
            if (next != kept_.begin()) {
                auto before = std::prev(next);
                if (before->second > at) {
                    at = before->second;
                    continue;
                }
            }
            uint64_t gapEnd = next == kept_.end() ? end : std::min(end, next->first);
            gapEnd = std::min(gapEnd, at + kKeepPiece);
            if (!Keep(file, at, gapEnd - at)) {
                return false;
            }
            Mark(at, gapEnd);
            kept = true;
            at = gapEnd;
        }
        // The old bytes reach the disk before the write over them can.
        if (kept) {
            if (auto flushed = disk_.Flush(undo_); !flushed) {
                DiscIOMgr::SetLastError(flushed.error().code);
                return false;
            }
        }
        return true;
    }

    // Writes the kept bytes back and cuts the archive to its old length.
    bool Restore(const std::string& archive) {
        if (!platform::Exists(archive)) {
            return true;  // gone since (not by us): nothing to put back into
        }
        auto file = platform::File::Open(archive, platform::Access::kReadWrite,
                                         platform::kShareRead | platform::kShareWrite,
                                         platform::Disposition::kOpenExisting);
        if (!file) {
            return false;
        }
        bool ok = true;
        if (platform::Exists(undoPath_) && OpenUndo()) {
            std::vector<char> piece;
            bool failed = false;
            WalkRecords(disk_, undo_, failed, [&](uint64_t offset, uint64_t n, uint64_t from) {
                if (offset > length_ || n > length_ - offset) {
                    return false;  // not ours: nothing past it is trusted
                }
                for (uint64_t done = 0; ok && done < n;) {
                    piece.resize(static_cast<size_t>(std::min(n - done, kKeepPiece)));
                    if (!ReadExactly(disk_, undo_, from + done, piece.data(), piece.size())) {
                        ok = false;
                        break;
                    }
                    auto wrote = file->WriteAt(offset + done, piece.data(), piece.size());
                    ok = wrote && *wrote == piece.size();
                    done += piece.size();
                }
                return ok;
            });
            // Old bytes that could not be read are not put back: the
            // archive is left uncut for the next try, which writes again
            // what this one did.
            ok = ok && !failed;
        } else if (platform::Exists(undoPath_)) {
            ok = false;
        }
        ok = ok && file->Seek(static_cast<int64_t>(length_), platform::SeekFrom::kBegin).ok() &&
             file->SetEndOfFile().ok() && file->Flush().ok();
        return ok;
    }

private:
    bool OpenUndo() {
        if (undo_.IsOpen()) {
            return true;
        }
        const bool created = !platform::Exists(undoPath_);
        auto f = platform::File::Open(undoPath_, platform::Access::kReadWrite, platform::kShareRead,
                                      platform::Disposition::kOpenAlways);
        if (!f) {
            DiscIOMgr::SetLastError(f.error().code);
            return false;
        }
        undo_ = std::move(f.value());
        // A new undo file's name is as durable as its records.
        if (created) {
            if (auto flushed = disk_.FlushFolder(Parent(undoPath_)); !flushed) {
                DiscIOMgr::SetLastError(flushed.error().code);
                return false;
            }
        }
        auto size = undo_.Size();
        end_ = size ? *size : 0;
        return true;
    }

    bool Keep(platform::File& file, uint64_t offset, uint64_t length) {
        if (!OpenUndo()) {
            return false;
        }
        std::vector<uint8_t> record(kRecordHead + static_cast<size_t>(length));
        size_t got = 0;
        while (got < length) {
            auto n = disk_.ReadAt(file, offset + got, record.data() + kRecordHead + got,
                                  static_cast<size_t>(length) - got);
            if (!n) {
                return false;
            }
            if (*n == 0) {
                break;  // the file ends here: nothing past it to keep
            }
            got += *n;
        }
        record.resize(kRecordHead + got);
        PutLe(record.data(), offset, 8);
        PutLe(record.data() + 8, got, 4);
        if (!WriteAt(disk_, undo_, end_, record.data(), record.size())) {
            return false;  // what was half written is overwritten by the next record
        }
        end_ += record.size();
        return true;
    }

    // Notes [begin, end) as kept, joined with its neighbours.
    void Mark(uint64_t begin, uint64_t end) {
        if (begin >= end) {
            return;
        }
        auto it = kept_.upper_bound(begin);
        if (it != kept_.begin() && std::prev(it)->second >= begin) {
            --it;
            begin = it->first;
            end = std::max(end, it->second);
            it = kept_.erase(it);
        }
        while (it != kept_.end() && it->first <= end) {
            end = std::max(end, it->second);
            it = kept_.erase(it);
        }
        kept_[begin] = end;
    }

    std::string undoPath_;
    uint64_t length_;  // the archive's length before the update
    DiscIOMgr::Disk& disk_;
    std::map<uint64_t, uint64_t> kept_;  // begin -> end of the ranges kept
    platform::File undo_;
    uint64_t end_ = 0;  // where the next record goes
};

// [SECTION] starting and taking up a journal

UnpackJournal::UnpackJournal(std::string folder, std::string root, DiscIOMgr::Disk& disk)
    : folder_(std::move(folder)), root_(std::move(root)), disk_(disk) {}

UnpackJournal::~UnpackJournal() = default;

std::string UnpackJournal::Kept(int number, const char* extension) const {
    return folder_ + "\\" + std::to_string(number) + extension;
}

std::string UnpackJournal::PendingKey() const {
    auto bytes = platform::ReadWholeFile(folder_ + "\\" + kJournalFile);
    if (!bytes) {
        return "";
    }
    const size_t end = bytes->find('\n');
    if (end == std::string::npos) {
        return "";
    }
    std::vector<std::string> parts = SplitTabs(bytes->substr(0, end));
    return parts.size() == 2 && parts[0] == kFirstLine ? parts[1] : "";
}

int32_t UnpackJournal::KeyVersion(const std::string& key) {
    uint64_t v = 0;
    if (!ParseNumber(key.substr(0, key.find(' ')), v) ||
        v > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        return -1;
    }
    return static_cast<int32_t>(v);
}

bool UnpackJournal::Begin(const std::string& key) {
    journal_.Close();
    entries_.clear();
    byPath_.clear();
    archives_.clear();
    nextNumber_ = 1;
    failedPath_.clear();
    if (!Writable(key)) {
        return Fail(folder_);
    }
    const std::string pending = PendingKey();
    if (!pending.empty() && pending != key) {
        return Fail(folder_);
    }
    if (!pending.empty()) {
        return Load(key);
    }
    // Nothing valid is there: what a half-done commit left goes.
    if (!RemoveFolderContents()) {
        return Fail(folder_);
    }
    for (const size_t sep : Separators(folder_)) {
        (void)platform::CreateDirectory(folder_.substr(0, sep));
    }
    (void)platform::CreateDirectory(folder_);
    auto f = platform::File::Open(folder_ + "\\" + kJournalFile, platform::Access::kReadWrite,
                                  platform::kShareRead, platform::Disposition::kCreateAlways);
    if (!f) {
        DiscIOMgr::SetLastError(f.error().code);
        return Fail(folder_);
    }
    journal_ = std::move(f.value());
    journalEnd_ = 0;
    if (!Append(std::string(kFirstLine) + "\t" + key)) {
        journal_.Close();
        return false;
    }
    // The journal's own name, before anything it guards.
    if (auto flushed = disk_.FlushFolder(folder_); !flushed) {
        DiscIOMgr::SetLastError(flushed.error().code);
        journal_.Close();
        return Fail(folder_);
    }
    return true;
}

bool UnpackJournal::Load(const std::string& key) {
    const std::string path = folder_ + "\\" + kJournalFile;
    auto bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        return Fail(path);
    }
    size_t at = 0;
    size_t whole = 0;
    for (size_t end; (end = bytes->find('\n', at)) != std::string::npos; at = end + 1) {
        std::vector<std::string> p = SplitTabs(bytes->substr(at, end - at));
        Entry e{};
        uint64_t number = 0;
        if (p.size() == 2 && p[0] == kFirstLine) {
            whole = end + 1;
            continue;
        } else if (p.size() == 3 && p[0] == "file" && ParseNumber(p[1], number)) {
            e = Entry{Kind::kFile, static_cast<int>(number), 0, p[2]};
            // Noted, but never moved aside (a kill came between): the file
            // in place is still the old one.
            if (!platform::Exists(Kept(e.number, ".bak"))) {
                nextNumber_ = std::max(nextNumber_, e.number + 1);
                whole = end + 1;
                continue;
            }
        } else if (p.size() == 2 && p[0] == "new") {
            e = Entry{Kind::kNew, 0, 0, p[1]};
        } else if (p.size() == 2 && p[0] == "folder") {
            e = Entry{Kind::kFolder, 0, 0, p[1]};
        } else if (p.size() == 4 && p[0] == "archive" && ParseNumber(p[1], number) &&
                   ParseNumber(p[2], e.length)) {
            e.kind = Kind::kArchive;
            e.number = static_cast<int>(number);
            e.path = p[3];
        } else if (p.size() == 2 && p[0] == "newarchive") {
            e = Entry{Kind::kNewArchive, 0, 0, p[1]};
        } else {
            // Not a line we wrote whole: the journal ends before it.
            break;
        }
        // A path that leaves the game folder, or an archive longer than any
        // can be, was not written by us: the journal ends before it.
        std::string rel;
        if (!Relative(Full(e.path), rel) || rel != e.path ||
            (e.kind == Kind::kArchive && e.length >= kArchiveLengthMax)) {
            break;
        }
        if (e.kind == Kind::kArchive) {
            auto undo = std::make_unique<ArchiveUndo>(Kept(e.number, ".undo"), e.length, disk_);
            if (!undo->Load()) {
                return Fail(Kept(e.number, ".undo"));
            }
            archives_[Lower(e.path)] = std::move(undo);
        }
        Note(e);
        whole = end + 1;
    }
    auto f = platform::File::Open(path, platform::Access::kReadWrite, platform::kShareRead,
                                  platform::Disposition::kOpenExisting);
    if (!f) {
        return Fail(path);
    }
    journal_ = std::move(f.value());
    // A line a kill cut short goes.
    if (!journal_.Seek(static_cast<int64_t>(whole), platform::SeekFrom::kBegin) ||
        !journal_.SetEndOfFile()) {
        journal_.Close();
        return Fail(path);
    }
    journalEnd_ = whole;
    (void)key;
    return true;
}

bool UnpackJournal::Append(const std::string& line) {
    const std::string text = line + "\n";
    // The line reaches the disk before the change it notes.
    bool written = WriteAt(disk_, journal_, journalEnd_, text.data(), text.size());
    if (written) {
        if (auto flushed = disk_.Flush(journal_); !flushed) {
            DiscIOMgr::SetLastError(flushed.error().code);
            written = false;
        }
    }
    if (!written) {
        // Half a line would end the journal for a later reader: it goes.
        if (journal_.Seek(static_cast<int64_t>(journalEnd_), platform::SeekFrom::kBegin)) {
            (void)journal_.SetEndOfFile();
        }
        return Fail(folder_ + "\\" + kJournalFile);
    }
    journalEnd_ += text.size();
    return true;
}

bool UnpackJournal::Fail(const std::string& path) {
    failedPath_ = path;
    return false;
}

void UnpackJournal::Note(const Entry& entry) {
    byPath_[Lower(entry.path)] = entries_.size();
    entries_.push_back(entry);
    if (entry.kind == Kind::kFile || entry.kind == Kind::kArchive) {
        nextNumber_ = std::max(nextNumber_, entry.number + 1);
    }
}

int UnpackJournal::NextNumber() {
    // Past anything a half-done run left in the folder.
    while (platform::Exists(Kept(nextNumber_, ".bak")) ||
           platform::Exists(Kept(nextNumber_, ".undo"))) {
        ++nextNumber_;
    }
    return nextNumber_++;
}

bool UnpackJournal::Known(const std::string& path) const {
    return byPath_.count(Lower(path)) != 0;
}

// [SECTION] before each change

bool UnpackJournal::Relative(const std::string& path, std::string& rel) const {
    if (root_.empty()) {
        rel = path;
    } else {
        const std::string prefix = root_ + "\\";
        if (path.size() <= prefix.size() || Lower(path.substr(0, prefix.size())) != Lower(prefix)) {
            return false;
        }
        rel = path.substr(prefix.size());
    }
    // Only what lies inside the game folder is kept (and so ever put back).
    return Writable(rel) && rel[0] != '\\' && rel[0] != '/' && cpkpath::IsSafeRelativePath(rel);
}

std::string UnpackJournal::Full(const std::string& rel) const {
    return root_.empty() ? rel : root_ + "\\" + rel;
}

bool UnpackJournal::BeforeFolders(const std::string& path) {
    if (!active()) {
        return true;
    }
    std::string rel;
    if (!Relative(path, rel)) {
        return Fail(path);
    }
    std::vector<std::string> chain;
    for (const size_t sep : Separators(rel)) {
        chain.push_back(rel.substr(0, sep));
    }
    chain.push_back(rel);
    for (const std::string& folder : chain) {
        if (Known(folder) || platform::Exists(Full(folder))) {
            continue;
        }
        if (!Append("folder\t" + folder)) {
            return Fail(Full(folder));
        }
        Note(Entry{Kind::kFolder, 0, 0, folder});
    }
    return true;
}

UnpackJournal::Step UnpackJournal::Prepare(const std::string& path, std::string& rel) {
    if (!active()) {
        return Step::kDone;
    }
    if (!Relative(path, rel)) {
        Fail(path);
        return Step::kFailed;
    }
    if (Known(rel)) {
        return Step::kDone;
    }
    const std::string parent = Parent(path);
    if (!parent.empty() && parent != root_ && !BeforeFolders(parent)) {
        return Step::kFailed;
    }
    return Step::kKeep;
}

bool UnpackJournal::BeforeFile(const std::string& path) {
    std::string rel;
    const Step step = Prepare(path, rel);
    if (step != Step::kKeep) {
        return step == Step::kDone;
    }
    if (!platform::Exists(path)) {
        if (!Append("new\t" + rel)) {
            return Fail(path);
        }
        Note(Entry{Kind::kNew, 0, 0, rel});
        return true;
    }
    const int number = NextNumber();
    // Noted first: a kill after the move still finds the file in the
    // journal; one before it finds no kept file and drops the line.
    if (!Append("file\t" + std::to_string(number) + "\t" + rel)) {
        return Fail(path);
    }
    if (auto moved = platform::MoveFile(path, Kept(number, ".bak"), false); !moved) {
        DiscIOMgr::SetLastError(moved.error().code);  // the reason, for the message
        return Fail(path);
    }
    Note(Entry{Kind::kFile, number, 0, rel});
    return true;
}

bool UnpackJournal::BeforeArchive(const std::string& path, CPKWriteGuard** guard) {
    *guard = nullptr;
    std::string rel;
    const Step step = Prepare(path, rel);
    if (step != Step::kKeep) {
        auto undo = archives_.find(Lower(rel));
        *guard = step == Step::kDone && undo != archives_.end() ? undo->second.get() : nullptr;
        return step == Step::kDone;
    }
    if (!platform::Exists(path)) {
        if (!Append("newarchive\t" + rel)) {
            return Fail(path);
        }
        Note(Entry{Kind::kNewArchive, 0, 0, rel});
        return true;
    }
    auto size = platform::FileSize(path);
    if (!size || *size >= kArchiveLengthMax) {
        return Fail(path);
    }
    const int number = NextNumber();
    if (!Append("archive\t" + std::to_string(number) + "\t" + std::to_string(*size) + "\t" + rel)) {
        return Fail(path);
    }
    auto undo = std::make_unique<ArchiveUndo>(Kept(number, ".undo"), *size, disk_);
    *guard = undo.get();
    archives_[Lower(rel)] = std::move(undo);
    Note(Entry{Kind::kArchive, number, *size, rel});
    return true;
}

// [SECTION] rollback and commit

bool UnpackJournal::Rollback() {
    if (!active()) {
        return true;
    }
    bool ok = true;
    std::set<std::string> touched;  // folders whose names the rollback changes
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const Entry& e = *it;
        const std::string path = Full(e.path);
        if (e.kind != Kind::kArchive) {
            const std::string parent = Parent(path);
            touched.insert(parent.empty() ? (root_.empty() ? "." : root_) : parent);
        }
        bool done = true;
        switch (e.kind) {
            case Kind::kFile:
                if (platform::Exists(path)) {
                    (void)platform::SetReadOnly(path, false);
                }
                done = !platform::Exists(Kept(e.number, ".bak")) ||
                       platform::MoveFile(Kept(e.number, ".bak"), path, true).ok();
                break;
            case Kind::kNew:
                if (platform::Exists(path) && !platform::IsDirectory(path)) {
                    (void)platform::SetReadOnly(path, false);
                    done = platform::DeleteFile(path).ok();
                }
                break;
            case Kind::kFolder:
                // Only an empty one: what someone else put there stays.
                if (platform::IsDirectory(path)) {
                    (void)platform::DeleteDirectory(path);
                }
                break;
            case Kind::kArchive:
                done = archives_.count(Lower(e.path)) != 0 &&
                       archives_.at(Lower(e.path))->Restore(path);
                break;
            case Kind::kNewArchive:
                for (const std::string& p : {path, path + ".new"}) {
                    if (platform::Exists(p) && !platform::IsDirectory(p)) {
                        done = platform::DeleteFile(p).ok() && done;
                    }
                }
                break;
        }
        if (!done) {
            ok = Fail(path);
        }
    }
    if (!ok) {
        return false;  // the journal stays for the next try
    }
    // The files moved back and the ones removed stay so once the journal
    // that would redo it is gone.
    for (const std::string& folder : touched) {
        if (!platform::IsDirectory(folder)) {
            continue;  // removed itself: its parent is in the set
        }
        if (auto flushed = disk_.FlushFolder(folder); !flushed) {
            DiscIOMgr::SetLastError(flushed.error().code);
            return Fail(folder);
        }
    }
    return Commit();
}

bool UnpackJournal::Commit() {
    journal_.Close();
    entries_.clear();
    byPath_.clear();
    archives_.clear();
    // The journal first: without it nothing in the folder counts.
    const std::string journal = folder_ + "\\" + kJournalFile;
    if (platform::Exists(journal) && !platform::DeleteFile(journal)) {
        return Fail(journal);
    }
    (void)RemoveFolderContents();
    (void)platform::DeleteDirectory(folder_);
    return true;
}

bool UnpackJournal::RemoveFolderContents() {
    auto entries = platform::ListDirectory(folder_);
    if (!entries) {
        return !platform::Exists(folder_) || platform::IsDirectory(folder_);
    }
    bool ok = true;
    for (const platform::DirEntry& e : *entries) {
        const std::string path = folder_ + "\\" + e.name;
        if (!e.isDirectory) {
            (void)platform::SetReadOnly(path, false);
            ok = platform::DeleteFile(path).ok() && ok;
        }
    }
    return ok;
}
