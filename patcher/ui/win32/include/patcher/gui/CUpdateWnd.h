// The update window on Windows: the 800 x 600 skinned popup of
// UpdateWindowLayout, drawn from the skin with the picture controls. It
// shows what it is told (texts, bars, the server list, which buttons are
// live) and reports the player's presses; the update dialog decides what
// they mean. The settings button is the window's own business: it runs the
// client settings dialog over the window.
//
// The two web pages are panels that show the page's address; a press opens
// the page in the system's browser, as the link buttons do.
//
// One thread: the UI thread, which also runs the window's messages.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "patcher/gui/CPicButtion.h"
#include "patcher/gui/CPicList.h"
#include "patcher/gui/CPicProgressCtrl.h"
#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/UpdateWindowLayout.h"

// The URLs a window links to, in the order of UpdateControl::url.
constexpr size_t kUpdateWindowUrls = 9;
using UpdateWindowUrls = std::array<std::string, kUpdateWindowUrls>;

struct UpdateWindowEvents {
    // The start-game, update/stop and exit buttons (their ids).
    std::function<void(int id)> command;
    // A row of the server list was pressed.
    std::function<void(int row)> serverChosen;
    // The window's close request (Alt+F4, the task bar); the window stays.
    std::function<void()> closeRequest;
    // A link button or page panel was pressed with this URL; the system's
    // browser opens it, maximised, unless replaced.
    std::function<void(const std::string& url)> openUrl;
    // Whenever the settings dialog was closed (saved or not).
    std::function<void(bool saved)> settingsClosed;
    // On the UI thread, after PostWake: something waits for the front end.
    // Runs in nested message loops too (message boxes, the settings
    // dialog); a wake that arrives while one is handled runs after it.
    std::function<void()> wake;
};

class CUpdateWnd {
public:
    // skinFolder and gameFolder are system paths, relative to the current
    // folder unless absolute.
    explicit CUpdateWnd(UpdateWindowEvents events, std::string skinFolder = "skin",
                        std::string gameFolder = ".");
    ~CUpdateWnd();
    CUpdateWnd(const CUpdateWnd&) = delete;
    CUpdateWnd& operator=(const CUpdateWnd&) = delete;

    // Creates and shows the window centred on the work area, with every
    // control; a link button or page whose URL is empty is disabled.
    bool Create(const std::string& titleGbk, const UpdateWindowUrls& urls);
    HWND hwnd() const { return hwnd_; }
    // The URLs once they are known (the window may exist before they are
    // read): enables the buttons and pages that have one.
    void SetUrls(const UpdateWindowUrls& urls);
    void SetTitle(const std::string& gbk);

    // Any thread: asks the UI thread to run events.wake.
    void PostWake();

    // What the window shows. Texts are GBK.
    void SetVersionText(const std::string& gbk);
    void SetStatusText(const std::string& gbk);
    void SetDownloadLabel(const std::string& gbk);
    void SetUpdateLabel(const std::string& gbk);
    void SetBars(int download, int update);
    // The update/stop button's pictures: stop (letter l) while running.
    void SetUpdateRunning(bool running);
    bool updateRunning() const { return running_; }
    void EnableStartGame(bool enable);
    void FocusStartGame();
    // The server list's rows and selection (-1 none); unchanged rows are
    // not drawn again.
    void SetServers(const std::vector<std::string>& rows, int selected);

    // The controls, for the front end's checks and for tests.
    CPicButtion* Button(int id);
    CPicList& serverList() { return servers_; }
    CPicProgressCtrl& Bar(int id) { return id == kIdDownloadBar ? downloadBar_ : updateBar_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    void OpenSettings();
    std::unique_ptr<CPicButtion> MakeButton(const UpdateControl& c, const std::string& text,
                                            bool enabled);
    void SetLabel(int id, const std::string& gbk);
    static std::string FormatLabel(const std::string& captionGbk);
    static std::string PageText(const UpdateControl& c, const std::string& url);

    UpdateWindowEvents events_;
    std::string skinFolder_;
    std::string gameFolder_;
    UpdateWindowLayout layout_;
    UpdateWindowUrls urls_;
    std::map<int, std::string> urlById_;
    HWND hwnd_ = nullptr;
    gui::Picture background_;
    std::map<int, std::unique_ptr<CPicButtion>> buttons_;  // buttons, labels, pages, by id
    CPicList servers_;
    CPicProgressCtrl downloadBar_;
    CPicProgressCtrl updateBar_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    bool running_ = false;
    bool inSettings_ = false;
    bool waking_ = false;     // events.wake runs
    bool wakeAgain_ = false;  // another wake came meanwhile
};
