// Helpers of the tests that open the patcher's real windows under Wine.
#pragma once

#include <string>

#include "platform/native_windows.h"

namespace guitest {

// Dispatches every message waiting for this thread's windows.
void Pump();

// Copies the committed skin pictures into gameDir's "skin" folder.
void CopySkin(const std::string& gameDir);

// What the screen shows of a window, as a 24-bit bitmap file's bytes.
std::string Screenshot(HWND hwnd);

// Keeps a screenshot: in the folder that TESMAR_SCREENSHOT_DIR names (the
// README's pictures are made so), else nowhere. Answers the bytes either way.
std::string KeepScreenshot(HWND hwnd, const std::string& name);

// The colour of pixel (x, y) of such a bitmap file (0x00RRGGBB); -1 outside.
long PixelOf(const std::string& bitmapFile, int x, int y);

}  // namespace guitest
