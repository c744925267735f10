// Shared fixtures of the tests: a fresh folder per test, small file helpers
// and a guard for the current directory. Paths are system paths (GBK, "\").
#pragma once

#include <string>

namespace testsupport {

// A new, empty folder under the temporary folder, removed with everything in
// it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "\" + relative
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

// Makes dir the current directory for the guard's lifetime.
class CurrentDirGuard {
public:
    explicit CurrentDirGuard(const std::string& dir);
    ~CurrentDirGuard();
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    std::string previous_;
};

// Sets an environment variable of the process (inherited by the programs it
// starts) for the guard's lifetime; the earlier value, or its absence, comes
// back afterwards. Not for tests that run threads reading the environment.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string previous_;
};

// Writes bytes to a file (creating the folders before it); aborts the test
// program if it cannot, since every later check would be meaningless.
void WriteFile(const std::string& path, const std::string& bytes);
// The whole file; "" when it cannot be read. Exists() tells the two apart.
std::string ReadFile(const std::string& path);
// Removes a file or a folder tree; clears read-only marks on the way.
void RemoveTree(const std::string& path);

// Folder of the running test program (where helper programs are built).
std::string ProgramDir();

}  // namespace testsupport
