#pragma once

// Just enough UI automation to play a user of another process's dialogs: find
// its windows, read and set their texts, press their buttons.
#include <windows.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace automation {

using Seconds = std::chrono::seconds;

// A check that did not hold; the scenario that met it has failed.
struct Failure : std::runtime_error {
    explicit Failure(const std::string& what) : std::runtime_error(what) {}
};

std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

// Another program, started by us and ended by us if it outlives its scenario.
class Program {
public:
    Program(const std::wstring& exe, const std::wstring& folder);
    ~Program();  // terminates it if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return m_info.dwProcessId; }
    bool Running() const;
    // Its exit code once it has ended; a Failure if it still runs after `timeout`.
    DWORD WaitForExit(Seconds timeout) const;

private:
    PROCESS_INFORMATION m_info{};
};

// A shown top-level window of `program`, of window class `className`, with the
// caption `caption`, and, if `owner` is given, owned by it.
struct WindowQuery {
    std::wstring className = L"#32770";  // dialogs and message boxes
    std::wstring caption;
    HWND owner = nullptr;
};

HWND FindWindowOf(DWORD processId, const WindowQuery& query);
HWND FindWindowOf(const Program& program, const WindowQuery& query);
// Waits for the window; a Failure names it if it does not come, or if the program ends first.
HWND WaitForWindow(const Program& program, const WindowQuery& query, Seconds timeout);
void WaitUntilGone(HWND window, Seconds timeout, const std::string& what);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);  // WM_GETTEXT, across processes
void SetText(HWND window, const std::wstring& text);
// BM_CLICK, posted: the handler may open a modal window, and a sent click would wait for it.
void Click(HWND button);
HWND Item(HWND dialog, int id);  // a Failure if the dialog has no such control

// The texts of a dialog's static controls, in their order, icons left out.
std::vector<std::wstring> StaticTexts(HWND dialog);
// The icon control a message box shows, or null if it shows none.
HWND ShownIcon(HWND messageBox);
// How many pixels on screen within `window` are of the stop sign's red.
int RedPixels(HWND window);

std::string Describe(const std::wstring& text);  // quoted, for failure messages
// Waits, and meanwhile handles what is sent to this thread: a program that
// broadcasts with SendMessage waits until every thread with windows answers.
void Pause(std::chrono::milliseconds duration);
// Prints a step of the run, with the seconds since the driver started.
void Note(const std::string& step);

}  // namespace automation
