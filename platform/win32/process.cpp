#include "platform/process.h"

#include "platform/native_windows.h"
// after windows.h
#include <shellapi.h>

#include "../common/backend.h"
#include "wide.h"

namespace platform {
namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);

// GetProcAddress answers a generic function pointer; going through
// void (*)() keeps the compiler's cast check quiet about the real type.
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

constexpr DWORD kMaxProcesses = 1024;  // a 4096-byte id buffer
constexpr DWORD kModulePathChars = 324;

// Quotes one argument the way CommandLineToArgvW splits it back.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
        } else if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
            out += c;
            backslashes = 0;
            continue;
        } else {
            backslashes = 0;
        }
        out += c;
    }
    out.append(backslashes, L'\\');
    out += L'"';
    return out;
}

}  // namespace

bool IsProgramRunning(const std::string& pathPart) {
    // psapi is loaded at run time: without it the game counts as not running.
    HMODULE psapi = LoadLibraryW(L"psapi.dll");
    if (!psapi) {
        return false;
    }
    auto enumProcesses = Lookup<EnumProcessesFn>(psapi, "EnumProcesses");
    auto enumModules = Lookup<EnumProcessModulesFn>(psapi, "EnumProcessModules");
    auto moduleName = Lookup<GetModuleFileNameExFn>(psapi, "GetModuleFileNameExW");
    bool found = false;
    DWORD ids[kMaxProcesses];
    DWORD bytes = 0;
    if (enumProcesses && enumModules && moduleName && enumProcesses(ids, sizeof ids, &bytes)) {
        DWORD count = bytes / sizeof(DWORD);
        for (DWORD i = 0; i < count && !found; ++i) {
            HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
            if (!p) {
                continue;
            }
            HMODULE first;
            DWORD need = 0;
            if (enumModules(p, &first, sizeof first, &need)) {
                wchar_t path[kModulePathChars] = {};
                DWORD n = moduleName(p, first, path, kModulePathChars);
                found = n > 0 && win32::Narrow(path, n).find(pathPart) != std::string::npos;
            }
            CloseHandle(p);
        }
    }
    FreeLibrary(psapi);
    return found;
}

void Process::Release() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = -1;
    }
}

Result<int> Process::Wait(int timeoutMs) {
    if (handle_ == -1) {
        return Error{};
    }
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    DWORD r = WaitForSingleObject(h, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    if (r == WAIT_TIMEOUT) {
        return Error{ErrorTimedOut()};
    }
    if (r != WAIT_OBJECT_0) {
        return LastError();
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(h, &code)) {
        return LastError();
    }
    return static_cast<int>(code);
}

void Process::Kill() {
    if (handle_ != -1) {
        TerminateProcess(reinterpret_cast<HANDLE>(handle_), 1);
    }
}

void Process::Terminate() {
    Kill();
}

Result<Process> StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir) {
    return StartProgram(program, args, workDir, StandardStreams{});
}

Result<Process> StartProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir, const StandardStreams& streams) {
    // The files the child's streams go to, inheritable for the child only;
    // ours are closed once it has them.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const struct {
        const std::string& path;
        DWORD which;
        bool output;
    } redirects[] = {{streams.input, STD_INPUT_HANDLE, false},
                     {streams.output, STD_OUTPUT_HANDLE, true},
                     {streams.error, STD_ERROR_HANDLE, true}};
    HANDLE handles[3] = {nullptr, nullptr, nullptr};
    bool redirected = false;
    for (size_t i = 0; i < 3; ++i) {
        const auto& r = redirects[i];
        if (r.path.empty()) {
            handles[i] = GetStdHandle(r.which);
            continue;
        }
        redirected = true;
        handles[i] =
            CreateFileW(win32::Wide(r.path).c_str(), r.output ? GENERIC_WRITE : GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                        r.output ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handles[i] == INVALID_HANDLE_VALUE) {
            Error e = LastError();
            for (size_t j = 0; j < i; ++j) {
                if (!redirects[j].path.empty()) {
                    CloseHandle(handles[j]);
                }
            }
            return e;
        }
    }
    std::wstring cmd = Quote(win32::Wide(program));
    for (const auto& a : args) {
        cmd += L" " + Quote(win32::Wide(a));
    }
    std::wstring dir = win32::Wide(workDir);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (redirected) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = handles[0];
        si.hStdOutput = handles[1];
        si.hStdError = handles[2];
    }
    PROCESS_INFORMATION pi{};
    // No application name: the system finds the program from the command
    // line as a shortcut would, adding ".exe" and searching the path.
    const BOOL created =
        CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, redirected ? TRUE : FALSE, 0, nullptr,
                       workDir.empty() ? nullptr : dir.c_str(), &si, &pi);
    const Error failure = created ? Error{} : LastError();
    for (size_t i = 0; i < 3; ++i) {
        if (!redirects[i].path.empty()) {
            CloseHandle(handles[i]);
        }
    }
    if (!created) {
        return failure;
    }
    CloseHandle(pi.hThread);
    Process p;
    p.handle_ = reinterpret_cast<intptr_t>(pi.hProcess);
    p.id_ = pi.dwProcessId;
    return p;
}

Status OpenWithSystemHandler(const std::string& target, bool maximized) {
    HINSTANCE r = ShellExecuteW(nullptr, L"open", win32::Wide(target).c_str(), nullptr, nullptr,
                                maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(r) <= 32) {
        return LastError();
    }
    return Status::Ok();
}

uint32_t CurrentProcessId() {
    return GetCurrentProcessId();
}

}  // namespace platform
