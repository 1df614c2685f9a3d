#pragma once

// A user of Korvane.exe: answers its pickers, presses its buttons and reads
// what it shows, through the automation helpers.
#include <functional>
#include <string>
#include <vector>

#include "automation.h"

namespace korvane {

// Under emulation a picker takes one to two and a half minutes to come up the first time.
inline constexpr automation::Seconds kPickerTimeout{210};
inline constexpr automation::Seconds kTimeout{180};

// The program runs but its picker never came up. Wine under qemu-i386 now and
// then leaves a picker created and waiting, never shown: the run is worth a retry.
struct PickerNeverShown : automation::Failure {
    using Failure::Failure;
};

struct MessageBoxSeen {
    HWND window;
    std::wstring caption, text;
    HWND icon;  // null when the box shows no icon
};

// Asks the person at the screen to look: a screenshot named `name`, or nothing
// when the driver runs without a screenshot taker.
using Screenshot = std::function<void(const std::string& name)>;

class User {
public:
    // `failureShot` names the screenshot taken when a failed check ends the user's scenario.
    User(const std::wstring& exe, const std::wstring& folder, Screenshot screenshot,
         std::string failureShot);
    ~User();
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    automation::Program& Program() { return m_program; }

    // Types `path` into the picker captioned `caption` and presses its OK button,
    // answering Yes if the picker asks whether to replace the file.
    void Pick(const std::wstring& caption, const std::wstring& path);
    void CancelPicker(const std::wstring& caption);

    // The main dialog, once it is shown.
    HWND MainDialog();
    // The message box that `owner` shows next, as it stands.
    MessageBoxSeen WaitForMessageBox(HWND owner);
    void Dismiss(const MessageBoxSeen& box);  // its OK button

    void Shoot(const std::string& name) { m_screenshot(name); }

private:
    HWND WaitForPicker(const std::wstring& caption);

    automation::Program m_program;
    Screenshot m_screenshot;
    std::string m_failureShot;
    int m_exceptions;
    HWND m_mainDialog = nullptr;
};

}  // namespace korvane
