// The localisation lookup that every text the patcher shows passes through.
//
// The key is the default (Chinese, GBK) text exactly as the program writes
// it. "Language.txt" in the current folder holds the translations, one entry
// per line after a line break: "<key>=<translation>;". The file is read at
// the first lookup and never again during the run.
#pragma once

#include <mutex>
#include <string>

// The text to show for text: its translation, or text itself when the table
// has none (no file, no entry, an empty translation, or one of 499 bytes or
// more, which does not fit the result ring).
//
// A translation is handed out from a 500-byte ring of the calling thread: the
// pointer stays valid until about 500 bytes of later translations have been
// handed out on the same thread, so use it at once and do not keep it.
// Safe to call from several threads.
const char* GetLocalText(const char* text);

// text with its first "%s" replaced by value: for texts that name a file,
// a folder or a server. A translation that lost its "%s" gets the value
// after it, so the name is never dropped; nothing else in text is read as a
// format, whatever a translation holds.
std::string FillInText(const std::string& text, const std::string& value);

// Forgets what GetLocalText's table has read, so that the next lookup reads
// "Language.txt" of the then current folder. The patcher reads the file once
// per run; tests that each bring their own folder start afresh with this.
void ResetLocalText();

// One text table over one file. GetLocalText uses a process-wide table over
// "Language.txt"; tests and tools make their own.
class LocalTextTable {
public:
    explicit LocalTextTable(std::string path);

    const char* Lookup(const char* text);
    // Back to the state before the first lookup: the file is read again.
    void Reset();

    // The size of the result ring, and the longest translation it hands out.
    static constexpr size_t kRingSize = 500;
    static constexpr size_t kMaxTranslation = 498;

private:
    void LoadLocked();

    std::mutex mu_;
    std::string path_;
    bool loaded_ = false;
    bool missing_ = false;  // the file could not be opened; it is not tried again
    std::string text_;      // the file's bytes, plus the keys looked up in vain
    size_t fileSize_ = 0;   // bytes of text_ that came from the file
};
