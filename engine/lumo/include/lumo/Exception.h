// The engine's exception type. The framework throws it by value when a file
// cannot be opened through the engine's file system or a window cannot be
// created; the game catches it (by reference) around start-up and loading.
#pragma once

#include <exception>
#include <string>

#include "lumo/LumoApi.h"

namespace Lumo {

class LUMO_API Exception : public std::exception {
public:
    // message: what failed; file and line: where it was thrown (the source
    // path in the game's own form, e.g. ".\gamesys\GameMap").
    Exception(const char* message, const char* file, int line);
    // detail: what it failed on, usually the path of the file.
    Exception(const char* message, const char* detail, const char* file, int line);
    ~Exception() override;
    Exception(const Exception&);
    Exception& operator=(const Exception&);

    // The message, followed by " (detail)" when there is a detail.
    const char* what() const noexcept override;

    const char* GetMsg() const { return m_message.c_str(); }
    const char* GetDetail() const { return m_detail.c_str(); }
    const char* GetSrcFile() const { return m_file.c_str(); }
    int GetLine() const { return m_line; }

private:
    std::string m_message;
    std::string m_detail;
    std::string m_file;
    int m_line;
    std::string m_what;
};

}  // namespace Lumo
