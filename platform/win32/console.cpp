#include "platform/console.h"

#include "platform/native_windows.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/text.h"

namespace platform {
namespace {

FILE* StreamOf(StdStream stream) {
    return stream == StdStream::kInput ? stdin : stream == StdStream::kOutput ? stdout : stderr;
}

}  // namespace

bool IsTerminal(StdStream stream) {
    return _isatty(_fileno(StreamOf(stream))) != 0;
}

void WriteText(StdStream stream, const std::string& utf8) {
    FILE* f = StreamOf(stream);
    std::fflush(f);
    HANDLE h = GetStdHandle(stream == StdStream::kError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode)) {
        // A console: let it read the escape sequences that redraw in place
        // (a console that cannot simply prints them).
        if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
            SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        }
        std::u16string wide = Utf8ToUtf16(utf8);
        DWORD written = 0;
        WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), f);
    std::fflush(f);
}

void SetBinaryMode(StdStream stream) {
    FILE* f = StreamOf(stream);
    std::fflush(f);
    _setmode(_fileno(f), _O_BINARY);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        for (int i = 0; i < argc; ++i) {
            args.push_back(GbkToUtf8(argv[i] ? argv[i] : ""));
        }
        return args;
    }
    for (int i = 0; i < count; ++i) {
        std::u16string w(reinterpret_cast<const char16_t*>(wide[i]));
        args.push_back(Utf16ToUtf8(w));
    }
    LocalFree(wide);
    return args;
}

std::string SystemPathFromArgument(const std::string& utf8) {
    // Windows takes either separator; system paths use "\\". No GBK trail
    // byte is below 0x40, so a "/" is always a separator.
    std::string path = Utf8ToGbk(utf8);
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

}  // namespace platform
