// The client settings dialog on Windows: a skinned popup built from the
// layout of SettingsDialogLayout(), run modally over the update window. Every
// press goes to its SettingsDialogModel; the controls show what the model
// answers. Saving writes "ClientOpt.txt" in the game folder.
//
// One thread: the UI thread.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "patcher/gui/CPicButtion.h"
#include "patcher/gui/CPicList.h"
#include "patcher/gui/CPicScrollBar.h"
#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/SettingsDialogModel.h"

class CSettingsDlg {
public:
    // folder: the game folder that holds "ClientOpt.txt".
    explicit CSettingsDlg(std::string folder = ".");
    ~CSettingsDlg();
    CSettingsDlg(const CSettingsDlg&) = delete;
    CSettingsDlg& operator=(const CSettingsDlg&) = delete;

    // Creates the dialog over owner (centred on it, or on the screen) and
    // runs it until it closes, with owner disabled meanwhile. Answers the
    // closing command: kIdSaveClose when saved, kIdCloseNoSave otherwise.
    int DoModal(HWND owner);

    // The parts of DoModal, for tests that drive the dialog themselves.
    bool Create(HWND owner);
    bool closed() const { return closed_; }
    HWND hwnd() const { return hwnd_; }
    SettingsDialogModel& model() { return model_; }
    CPicButtion* Button(int id);
    CPicList& List(int listId) { return listId == kIdListDisplay ? displayList_ : otherList_; }
    CPicScrollBar& VolumeBar(int id) { return id == kIdMusicVolume ? musicBar_ : soundBar_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    void OnListClicked(HWND list, int row);
    void OnVolume(HWND bar, int code, int pos);
    void Refresh();
    void RefreshList(int listId, CPicList& list, int& shownOption);
    void Close(int result);

    std::string path_;
    SettingsDialogModel model_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    gui::Picture background_;
    std::map<int, std::unique_ptr<CPicButtion>> buttons_;  // by id
    std::vector<std::unique_ptr<CPicButtion>> labels_;     // labels and fields
    std::map<int, CPicButtion*> fields_;                   // by option
    CPicList displayList_;
    CPicList otherList_;
    int displayShown_ = -1;  // option the list was filled for
    int otherShown_ = -1;
    CPicScrollBar musicBar_{false};
    CPicScrollBar soundBar_{false};
    bool closed_ = false;
    int result_ = kIdCloseNoSave;
};
