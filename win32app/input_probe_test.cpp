// input_probe: a window that reports, one line each on standard output,
// the keys and mouse buttons the system's input devices see pressed
// ("key 0x1e", "button 0"). It prints "ready" once its keyboard can be read
// (the window is in the foreground), and ends when Escape is pressed or
// after the time-out given in milliseconds (default 60000).
//
// The input test drives it with xdotool on a private X server: DirectInput
// under Wine, SDL2 natively.
#include <cstdio>
#include <cstdlib>

#include "framework/DIKeys.h"
#include "framework/GInput.h"
#include "platform/clock.h"
#include "win32app/GWin32App.h"
#include "win32app/WinApi.h"
#include "win32app/WinMsg.h"

namespace {

constexpr const char* kTitle = "Talvane input probe";
constexpr int kFrameSleepMs = 5;

class Probe : public GFC::GWin32App {
public:
    explicit Probe(uint32_t timeoutMs) : m_deadline(platform::TickCount64() + timeoutMs) {}
    int exitCode = 0;

protected:
    void OnCreate() override {}
    void OnDestroy() override { GFC::GInput::Inst()->Destroy(); }
    void OnFrame() override {
        GFC::GInput* input = GFC::GInput::Inst();
        input->UpdateKBInput();
        input->UpdateMouseInput();
        if (!m_ready) {
            uint8_t keys[GFC::kKeyCount] = {};
            GFC::InputDevices* d = input->GetDevices();
            if (d && d->HasKeyboard() && d->ReadKeyboard(keys)) {
                m_ready = true;
                std::printf("ready\n");
                std::fflush(stdout);
            }
        }
        for (unsigned key = 0; key < GFC::kKeyCount; ++key) {
            if (input->KeyDownFirst(static_cast<unsigned short>(key))) {
                std::printf("key 0x%02x\n", key);
            }
        }
        for (unsigned char b = 0; b < GFC::kMouseButtonSlots; ++b) {
            if (input->MouseDownFirst(b)) {
                std::printf("button %u\n", b);
            }
        }
        std::fflush(stdout);
        if (input->KeyDownFirst(DIK_ESCAPE)) {
            PostMessage(GFC::kGameMsgQuit, 0, 0);
        } else if (platform::TickCount64() > m_deadline) {
            std::printf("timed out\n");
            exitCode = 2;
            PostMessage(GFC::kGameMsgQuit, 0, 0);
        }
        platform::SleepMs(kFrameSleepMs);
    }
    void OnGameMsg(uint32_t, uint32_t, uint32_t) override {}

private:
    uint64_t m_deadline;
    bool m_ready = false;
};

}  // namespace

int main(int argc, char** argv) {
    const uint32_t timeoutMs =
        argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 60000;
    Probe probe(timeoutMs);
    probe.Create(320, 240, kTitle, true, nullptr);
    GFC::WinApi::ShowWindow(probe.GetHWnd(), SW_SHOW);
    probe.MainLoop();
    return probe.exitCode;
}
