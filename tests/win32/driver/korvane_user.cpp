#include "korvane_user.h"

#include <exception>

namespace korvane {

using namespace automation;

namespace {

// The Explorer-style picker's file name: a combo box with an edit in some
// versions of the system, a plain edit in others.
constexpr int kFileNameCombo = 0x47C;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

HWND FileNameField(HWND picker) {
    if (const HWND combo = ::GetDlgItem(picker, kFileNameCombo); combo && ::IsWindowVisible(combo))
        return combo;
    return Item(picker, kFileNameEdit);
}

}  // namespace

User::User(const std::wstring& exe, const std::wstring& folder, Screenshot screenshot,
           std::string failureShot)
    : m_program(exe, folder),
      m_screenshot(std::move(screenshot)),
      m_failureShot(std::move(failureShot)),
      m_exceptions(std::uncaught_exceptions()) {}

User::~User() {
    // Failing: the screen as the check found it, before the program is ended.
    if (std::uncaught_exceptions() <= m_exceptions) return;
    try {
        m_screenshot(m_failureShot);
    } catch (const std::exception&) {
    }
}

HWND User::WaitForPicker(const std::wstring& caption) {
    try {
        const HWND picker = WaitForWindow(m_program, {L"#32770", caption}, kPickerTimeout);
        Note("the picker " + Describe(caption) + " is shown");
        return picker;
    } catch (const Failure& failure) {
        if (m_program.Running()) throw PickerNeverShown(failure.what());
        throw;
    }
}

void User::Pick(const std::wstring& caption, const std::wstring& path) {
    const HWND picker = WaitForPicker(caption);
    SetText(FileNameField(picker), path);
    Click(Item(picker, IDOK));
    WindowQuery question;
    question.owner = picker;
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (::IsWindow(picker) && ::IsWindowVisible(picker)) {
        if (const HWND box = FindWindowOf(m_program, question)) {
            const std::vector<std::wstring> texts = StaticTexts(box);
            Note("the picker asks " + Describe(texts.empty() ? L"" : texts.back()) + ": Yes");
            Click(Item(box, IDYES));
            WaitUntilGone(box, kTimeout, "the picker's question");
        }
        if (std::chrono::steady_clock::now() > deadline)
            throw Failure("the picker " + Describe(caption) + " is still there");
        Pause(std::chrono::milliseconds(100));
    }
}

void User::CancelPicker(const std::wstring& caption) {
    const HWND picker = WaitForPicker(caption);
    Click(Item(picker, IDCANCEL));
    WaitUntilGone(picker, kTimeout, "the picker " + Describe(caption));
}

HWND User::MainDialog() {
    if (!m_mainDialog || !::IsWindow(m_mainDialog)) {
        m_mainDialog = WaitForWindow(m_program, {L"#32770", L"Korvane"}, kTimeout);
        Note("the main dialog is shown");
    }
    return m_mainDialog;
}

MessageBoxSeen User::WaitForMessageBox(HWND owner) {
    WindowQuery query;
    query.owner = owner;
    const HWND box = WaitForWindow(m_program, query, kTimeout);
    wchar_t caption[256] = {};
    ::GetWindowTextW(box, caption, 256);
    std::wstring text;
    for (const std::wstring& line : StaticTexts(box))
        if (!line.empty()) text = line;
    Note("a message box shows " + Describe(text));
    return {box, caption, text, ShownIcon(box)};
}

void User::Dismiss(const MessageBoxSeen& box) {
    Click(Item(box.window, IDOK));
    WaitUntilGone(box.window, kTimeout, "the message box " + Describe(box.text));
}

}  // namespace korvane
