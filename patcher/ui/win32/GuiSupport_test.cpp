#include "GuiSupport_test.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace guitest {

namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;

int Stride(int width) {
    return (width * 3 + 3) & ~3;
}

template <typename T>
T ReadAt(const std::string& b, size_t at) {
    T v{};
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

}  // namespace

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void CopySkin(const std::string& gameDir) {
    std::string src = platform::SystemPathFromNative(std::string(getenv("TESMAR_SOURCE_DIR")) +
                                                     "\\patcher\\skin");
    auto entries = platform::ListDirectory(src);
    ASSERT_TRUE(entries.ok());
    for (const auto& e : *entries) {
        testsupport::WriteFile(gameDir + "\\skin\\" + e.name,
                               testsupport::ReadFile(src + "\\" + e.name));
    }
}

std::string Screenshot(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        return {};
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = kInfoHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up, as bitmap files usually are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::string file;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        SelectObject(mem, old);
        uint32_t imageSize = static_cast<uint32_t>(Stride(w)) * static_cast<uint32_t>(h);
        uint32_t offset = kFileHeader + kInfoHeader;
        uint32_t fileSize = offset + imageSize;
        file.assign(offset, '\0');
        file[0] = 'B';
        file[1] = 'M';
        std::memcpy(&file[2], &fileSize, 4);
        std::memcpy(&file[10], &offset, 4);
        info.bmiHeader.biSizeImage = imageSize;
        std::memcpy(&file[kFileHeader], &info.bmiHeader, kInfoHeader);
        file.append(static_cast<const char*>(bits), imageSize);
        DeleteObject(bitmap);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return file;
}

std::string KeepScreenshot(HWND hwnd, const std::string& name) {
    std::string shot = Screenshot(hwnd);
    const char* dir = getenv("TESMAR_SCREENSHOT_DIR");
    if (dir != nullptr && *dir != '\0') {
        testsupport::WriteFile(platform::SystemPathFromNative(dir) + "\\" + name + ".bmp", shot);
    }
    return shot;
}

long PixelOf(const std::string& b, int x, int y) {
    if (b.size() < kFileHeader + kInfoHeader) {
        return -1;
    }
    int w = ReadAt<int32_t>(b, 18);
    int h = ReadAt<int32_t>(b, 22);
    uint32_t offset = ReadAt<uint32_t>(b, 10);
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return -1;
    }
    size_t at = offset + static_cast<size_t>(h - 1 - y) * Stride(w) + static_cast<size_t>(x) * 3;
    if (at + 3 > b.size()) {
        return -1;
    }
    auto byte = [&](size_t i) { return static_cast<long>(static_cast<uint8_t>(b[at + i])); };
    return (byte(2) << 16) | (byte(1) << 8) | byte(0);
}

}  // namespace guitest
