// The Win32 backend's dialog procedure and window members, on a dialog of the
// test's own resources. Each test plays its user from inside: messages posted
// while the dialog initialises arrive once it runs, and a timer, whose messages
// come only when no other is waiting, ends a dialog that is still open.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/afxwin.h"
#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"
#include "test_resource.h"

namespace {

constexpr int kStillOpen = 42;  // the timer's result: no message ended the dialog

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("Backend test") {}
    void OnHelp() override { ++helpRequests; }
    int helpRequests = 0;
};
TestApp testApp;

// What came up on screen: message boxes are read and closed at once.
struct SeenBox {
    std::string caption, text;
    bool stopIcon;
    HWND owner;
};
struct Screen {
    std::vector<SeenBox> boxes;
    std::vector<HWND> shownDialogs;  // the test template's dialogs that were shown
};
Screen screen;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK ReadBoxPart(HWND child, LPARAM context) {
    auto& box = *reinterpret_cast<SeenBox*>(context);
    if (ClassOf(child) != L"Static") return TRUE;
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        const auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        box.stopIcon = icon && icon == ::LoadIconA(nullptr, IDI_HAND);
    } else if (const std::wstring text = TextOf(child); !text.empty()) {
        box.text = Narrow(text);
    }
    return TRUE;
}

bool IsTestDialog(HWND window) {
    return ClassOf(window) == L"#32770" && ::GetDlgItem(window, IDC_TEXT);
}

// A message box about to become active has its text and icon: read it, and close it.
LRESULT CALLBACK WatchMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && ClassOf(window) == L"#32770" && !IsTestDialog(window)) {
        SeenBox box{Narrow(TextOf(window)), {}, false, ::GetWindow(window, GW_OWNER)};
        ::EnumChildWindows(window, ReadBoxPart, reinterpret_cast<LPARAM>(&box));
        screen.boxes.push_back(box);
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Shown, not merely activated: setting the focus activates a hidden dialog too.
LRESULT CALLBACK WatchShownDialogs(int code, WPARAM wParam, LPARAM lParam) {
    const auto& call = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call.message == WM_SHOWWINDOW && call.wParam &&
        IsTestDialog(call.hwnd))
        screen.shownDialogs.push_back(call.hwnd);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The test template, whose handlers do what the test says.
class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_TEST) {}

    HWND Hwnd() const { return HwndOf(this); }
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        ::PostMessageW(Hwnd(), message, wParam, lParam);
    }

    std::function<void(TestDialog&)> onInit;
    std::function<void()> onOK;
    bool handleClose = false;  // the dialog's own OnSysCommand takes SC_CLOSE
    HCURSOR dragIcon = nullptr;
    CString text;
    int okRuns = 0, cancelRuns = 0;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
    void OnOK() override {
        ++okRuns;
        if (onOK) onOK();
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancelRuns;
        CDialog::OnCancel();
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_TEXT, text); }
    void OnSysCommand(UINT nID, LPARAM lParam) override {
        if (handleClose && nID == SC_CLOSE) return;
        CDialog::OnSysCommand(nID, lParam);
    }
    HCURSOR OnQueryDragIcon() override { return dragIcon ? dragIcon : CDialog::OnQueryDragIcon(); }
};

// Ends the dialog in front once it is shown: a modal dialog shows itself when its
// queue first runs empty, and a timer message already due would come first.
void CALLBACK EndIfStillOpen(HWND, UINT, UINT_PTR, DWORD) {
    if (AfxModalDialogs().empty()) return;
    CDialog* front = AfxModalDialogs().back();
    if (::IsWindowVisible(HwndOf(front))) front->EndDialog(kStillOpen);
}

class Win32Backend : public testing::Test {
protected:
    void SetUp() override {
        screen = {};
        testApp.helpRequests = 0;
        const DWORD thread = ::GetCurrentThreadId();
        m_hooks[0] = ::SetWindowsHookExW(WH_CBT, WatchMessageBoxes, nullptr, thread);
        m_hooks[1] = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchShownDialogs, nullptr, thread);
        ASSERT_NE(m_hooks[0], nullptr);
        ASSERT_NE(m_hooks[1], nullptr);
    }
    void TearDown() override {
        for (const HHOOK hook : m_hooks) ::UnhookWindowsHookEx(hook);
    }

    // Runs the dialog; once the messages its initialisation posted are handled,
    // it ends with kStillOpen if it has not ended already.
    static INT_PTR Run(TestDialog& dialog) {
        auto init = std::move(dialog.onInit);
        UINT_PTR timer = 0;
        dialog.onInit = [&](TestDialog& d) {
            if (init) init(d);
            timer = ::SetTimer(nullptr, 0, 0, EndIfStillOpen);
        };
        const INT_PTR result = dialog.DoModal();
        if (timer) ::KillTimer(nullptr, timer);
        return result;
    }

private:
    HHOOK m_hooks[2] = {};
};

}  // namespace

TEST_F(Win32Backend, MessagesReachTheirHandlers) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool handleClose;
        INT_PTR result;
        int okRuns, cancelRuns;
    } cases[] = {
        {"OK button, or Enter", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), false, IDOK, 1, 0},
        {"Cancel button, or Escape", WM_COMMAND, IDCANCEL, false, IDCANCEL, 0, 1},
        {"WM_CLOSE", WM_CLOSE, 0, false, IDCANCEL, 0, 1},
        {"close box, the system's default", WM_SYSCOMMAND, SC_CLOSE, false, IDCANCEL, 0, 1},
        {"close box, taken by the dialog", WM_SYSCOMMAND, SC_CLOSE, true, kStillOpen, 0, 0},
        {"notification from the OK id", WM_COMMAND, MAKEWPARAM(IDOK, EN_CHANGE), false, kStillOpen,
         0, 0},
        {"click of another control", WM_COMMAND, MAKEWPARAM(IDC_TEXT, BN_CLICKED), false,
         kStillOpen, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog;
        dialog.handleClose = c.handleClose;
        dialog.onInit = [&](TestDialog& d) { d.Post(c.message, c.wParam); };
        EXPECT_EQ(Run(dialog), c.result);
        EXPECT_EQ(dialog.okRuns, c.okRuns);
        EXPECT_EQ(dialog.cancelRuns, c.cancelRuns);
    }
}

// A modal dialog is shown once the messages of its start are handled; ended
// before, it never is.
TEST_F(Win32Backend, EndDialogDuringInitialisationNeverShowsIt) {
    const struct {
        const char* name;
        bool endDuringInit;
        INT_PTR result;
        std::size_t shown;
    } cases[] = {{"ended during initialisation", true, 7, 0},
                 {"left to run", false, kStillOpen, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        screen = {};
        TestDialog dialog;
        dialog.onInit = [&](TestDialog& d) {
            if (c.endDuringInit) d.EndDialog(7);
        };
        EXPECT_EQ(Run(dialog), c.result);
        EXPECT_EQ(screen.shownDialogs.size(), c.shown);
        EXPECT_TRUE(AfxModalDialogs().empty());
        EXPECT_EQ(dialog.GetState(), nullptr) << "the window's state outlived it";
    }
}

// No exception may unwind through the system's code that called the dialog
// procedure: each is reported over the dialog, which stays open.
TEST_F(Win32Backend, ExceptionsFromHandlersAreReportedWithTheStopIcon) {
    const struct {
        const char* name;
        std::function<void()> failure;
        const char* text;
    } cases[] = {
        {"file error, reported by the framework",
         [] { throw CFileException(CFileException::diskFull, "Z:\\out.wav"); },
         "Disk full while accessing Z:\\out.wav."},
        {"standard exception", [] { throw std::runtime_error("the disk is on fire"); },
         "the disk is on fire"},
        {"anything else", [] { throw 5; }, "An unexpected error occurred."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        screen = {};
        TestDialog dialog;
        dialog.onOK = c.failure;
        HWND hwnd = nullptr;
        dialog.onInit = [&](TestDialog& d) {
            hwnd = d.Hwnd();
            d.Post(WM_COMMAND, IDOK);
        };
        EXPECT_EQ(Run(dialog), kStillOpen);
        ASSERT_EQ(screen.boxes.size(), 1u);
        EXPECT_EQ(screen.boxes[0].text, c.text);
        EXPECT_EQ(screen.boxes[0].caption, "Backend test");
        EXPECT_TRUE(screen.boxes[0].stopIcon);
        EXPECT_EQ(screen.boxes[0].owner, hwnd);
    }
}

TEST_F(Win32Backend, ExceptionDuringInitialisationEndsTheDialogUnshown) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog&) { throw std::runtime_error("no memory for the pickers"); };
    EXPECT_EQ(Run(dialog), -1);
    ASSERT_EQ(screen.boxes.size(), 1u);
    EXPECT_EQ(screen.boxes[0].text, "no memory for the pickers");
    EXPECT_TRUE(screen.shownDialogs.empty());
    EXPECT_TRUE(AfxModalDialogs().empty());
}

TEST_F(Win32Backend, F1AsksForHelpOnlyWithoutModifiers) {
    const struct {
        const char* name;
        int heldKey;  // 0: none
        int helpRequests;
    } cases[] = {{"F1", 0, 1},
                 {"Shift+F1", VK_SHIFT, 0},
                 {"Ctrl+F1", VK_CONTROL, 0},
                 {"Alt+F1", VK_MENU, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testApp.helpRequests = 0;
        TestDialog dialog;
        dialog.onInit = [&](TestDialog& d) {
            BYTE keys[256] = {};
            if (c.heldKey) keys[c.heldKey] = 0x80;
            ::SetKeyboardState(keys);
            HELPINFO info{sizeof info, HELPINFO_WINDOW, IDC_TEXT, ::GetDlgItem(d.Hwnd(), IDC_TEXT),
                          0,           {0, 0}};
            ::SendMessageW(d.Hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            const BYTE none[256] = {};
            ::SetKeyboardState(const_cast<BYTE*>(none));
        };
        EXPECT_EQ(Run(dialog), kStillOpen);
        EXPECT_EQ(testApp.helpRequests, c.helpRequests);
    }
}

TEST_F(Win32Backend, DragIconIsTheHandlersResult) {
    TestDialog dialog;
    dialog.dragIcon = testApp.LoadIcon(IDR_TEST_ICON);
    ASSERT_NE(dialog.dragIcon, nullptr);
    LRESULT answer = 0;
    dialog.onInit = [&](TestDialog& d) {
        answer = ::SendMessageW(d.Hwnd(), WM_QUERYDRAGICON, 0, 0);
    };
    Run(dialog);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(answer), dialog.dragIcon);
}

TEST_F(Win32Backend, DialogOpenedFromAnotherIsOwnedByIt) {
    TestDialog outer, inner;
    HWND outerHwnd = nullptr, owner = nullptr;
    std::size_t running = 0;
    inner.onInit = [&](TestDialog& d) {
        owner = ::GetWindow(d.Hwnd(), GW_OWNER);
        running = AfxModalDialogs().size();
        d.EndDialog(IDOK);
    };
    outer.onInit = [&](TestDialog& d) {
        outerHwnd = d.Hwnd();
        EXPECT_EQ(inner.DoModal(), IDOK);
    };
    Run(outer);
    EXPECT_EQ(owner, outerHwnd);
    EXPECT_EQ(running, 2u);
}

TEST_F(Win32Backend, WindowMembersSpeakUtf8) {
    const CString text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x99\xAA";  // Grüße ♪
    TestDialog dialog;
    std::wstring shown, menuItem;
    int menuItems = 0;
    HICON bigIcon = nullptr;
    dialog.onInit = [&](TestDialog& d) {
        d.text = text;
        d.UpdateData(FALSE);
        shown = TextOf(::GetDlgItem(d.Hwnd(), IDC_TEXT));
        d.text.clear();
        d.UpdateData(TRUE);

        CMenu* menu = d.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        const HMENU system = ::GetSystemMenu(d.Hwnd(), FALSE);
        const int before = ::GetMenuItemCount(system);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, 0x10, "&About " + text);
        menuItems = ::GetMenuItemCount(system) - before;
        wchar_t item[64] = {};
        ::GetMenuStringW(system, 0x10, item, 64, MF_BYCOMMAND);
        menuItem = item;

        const HICON icon = testApp.LoadIcon(IDR_TEST_ICON);
        d.SetIcon(icon, TRUE);
        bigIcon = reinterpret_cast<HICON>(::SendMessageW(d.Hwnd(), WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(bigIcon, icon);
    };
    Run(dialog);
    EXPECT_EQ(shown, L"Gr\u00FC\u00DFe \u266A");
    EXPECT_EQ(dialog.text, text);
    EXPECT_EQ(menuItems, 2);
    EXPECT_EQ(menuItem, L"&About Gr\u00FC\u00DFe \u266A");
    EXPECT_NE(bigIcon, nullptr);
}

TEST(Win32Resources, StringsAndIconsOfTheExecutable) {
    CString text = "left over";
    EXPECT_TRUE(AfxLoadString(IDS_GREETING, text));
    EXPECT_EQ(text,
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x99\xAA aus Korvane");
    EXPECT_FALSE(AfxLoadString(IDS_GREETING + 1, text));
    EXPECT_EQ(text, "");
    EXPECT_NE(testApp.LoadIcon(IDR_TEST_ICON), nullptr);
    EXPECT_EQ(testApp.LoadIcon(IDR_TEST_ICON + 1), nullptr);
}

// A window without a handle: its members do nothing and fail softly.
TEST(Win32Window, WithoutAHandle) {
    CWnd none;
    EXPECT_EQ(none.GetSystemMenu(FALSE), nullptr);
    EXPECT_FALSE(none.IsIconic());
    CRect rect{1, 2, 3, 4};
    none.GetClientRect(&rect);
    EXPECT_EQ(rect.Width(), 0);
    CString text = "kept?";
    none.GetDlgItemText(IDC_TEXT, text);
    EXPECT_EQ(text, "");
}
