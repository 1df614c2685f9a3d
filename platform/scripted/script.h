#pragma once

// A backend without windows, for tests: the user's answers are scripted in
// advance and everything the program shows is recorded.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/afxwin.h"

namespace scripted {

// What the user does with the dialog in front, in turn.
using Action = std::function<void(CDialog& dialog)>;

Action Press(UINT nID);       // a button, or the key that stands for it (Enter, Escape)
Action SysCommand(UINT nID);  // a command of the system menu
Action PressF1();             // F1 with no modifier held
Action Minimize(int clientWidth, int clientHeight);  // and let the dialog paint itself minimized

struct PickerAnswer {
    bool ok;
    CString path;
};

struct ShownPicker {
    BOOL open;
    CString defaultExtension, initialName;
    DWORD flags;
    std::vector<CFileDialog::Filter> filters;
    UINT ownerTemplate;  // template of the owning dialog, 0 if none
};

struct ShownMessageBox {
    CString text, caption;
    UINT type;
    UINT ownerTemplate;
};

struct HelpRequest {
    CString helpFile;
    UINT command;
    DWORD data;
};

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    CString text;
};

struct Script {
    // Answers, taken in order.
    std::deque<PickerAnswer> pickers;
    std::deque<Action> actions;
    bool helpViewerStarts = false;
    // String resources that differ from the resource script's.
    std::map<UINT, CString> strings;

    // What happened, in order: one line per event.
    std::vector<std::string> events;
    std::vector<ShownPicker> shownPickers;
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<HelpRequest> helpRequests;
    std::map<UINT, std::vector<MenuItem>> systemMenus;  // by dialog template, as last built
    std::vector<std::pair<int, int>> drawnIcons;        // positions of icons drawn while minimized
    std::map<UINT, CString> lastTexts;  // control texts of the last dialog when it ended
};

// The script the backend follows; reset before each test.
Script& Current();
void Reset();

}  // namespace scripted
