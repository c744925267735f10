// The settings store of the Win32 back end: the real registry. Values are
// stored as Unicode REG_SZ, so that the game reads them right in any
// code page; the buffer limit of a read is measured in GBK bytes, as the
// game's ANSI read would see it.
//
// The game is a 32-bit program, so the key lives in the 32-bit registry view
// whatever this build is: a 64-bit patcher that wrote to its own view would
// leave "Borough" where the game never looks (SOFTWARE\Wow6432Node is the
// 32-bit view seen from a 64-bit process).
#include "platform/settings.h"

#include <vector>

#include "platform/native_windows.h"
#include "wide.h"

namespace platform {
namespace {

constexpr const char* kDefaultKey = "SOFTWARE\\Tesmar";
// Added to every access mask; a no-op for a 32-bit build.
constexpr REGSAM kView = KEY_WOW64_32KEY;

// The subkey under HKEY_LOCAL_MACHINE of the store at where ("" = the
// system's).
std::wstring SubKey(const std::string& where) {
    return win32::Wide(where.empty() ? std::string(kDefaultKey) : where);
}

// Closes a registry key when it goes out of scope.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (key_)
            RegCloseKey(key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

SettingsValue SettingsStore::ReadString(const std::string& name, size_t bufferBytes) const {
    SettingsValue out;
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SubKey(where_).c_str(), 0, KEY_READ | kView, key.out()) !=
        ERROR_SUCCESS) {
        out.status = SettingsRead::kNoKey;
        return out;
    }
    std::wstring wname = win32::Wide(name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        out.status = SettingsRead::kNoValue;
        return out;
    }
    std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 1, 0);
    DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS) {
        out.status = SettingsRead::kNoValue;
        return out;
    }
    size_t n = size / sizeof(wchar_t);
    while (n > 0 && buf[n - 1] == 0) {
        --n;
    }
    std::string text = win32::Narrow(buf.data(), n);
    if (text.size() + 1 > bufferBytes) {
        out.status = SettingsRead::kTooLong;
        return out;
    }
    out.status = SettingsRead::kOk;
    out.text = std::move(text);
    return out;
}

bool SettingsStore::KeyExists() const {
    ScopedKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, SubKey(where_).c_str(), 0, KEY_READ | kView,
                         key.out()) == ERROR_SUCCESS;
}

Status SettingsStore::CreateKey() const {
    ScopedKey key;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, SubKey(where_).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | kView, nullptr, key.out(),
                              nullptr);
    if (rc != ERROR_SUCCESS) {
        return Error{static_cast<uint32_t>(rc)};
    }
    return Status::Ok();
}

Status SettingsStore::WriteString(const std::string& name, const std::string& value) const {
    ScopedKey key;
    LONG rc =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, SubKey(where_).c_str(), 0, KEY_WRITE | kView, key.out());
    if (rc != ERROR_SUCCESS) {
        return Error{static_cast<uint32_t>(rc)};
    }
    std::wstring w = win32::Wide(value);
    rc = RegSetValueExW(key.get(), win32::Wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(w.c_str()),
                        static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS) {
        return Error{static_cast<uint32_t>(rc)};
    }
    return Status::Ok();
}

Status SettingsStore::DeleteValue(const std::string& name) const {
    ScopedKey key;
    LONG rc =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, SubKey(where_).c_str(), 0, KEY_WRITE | kView, key.out());
    if (rc == ERROR_SUCCESS) {
        rc = RegDeleteValueW(key.get(), win32::Wide(name).c_str());
    }
    if (rc != ERROR_SUCCESS) {
        return Error{static_cast<uint32_t>(rc)};
    }
    return Status::Ok();
}

Status SettingsStore::DeleteKey() const {
    LONG rc = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, SubKey(where_).c_str(), kView, 0);
    if (rc != ERROR_SUCCESS) {
        return Error{static_cast<uint32_t>(rc)};
    }
    return Status::Ok();
}

}  // namespace platform
