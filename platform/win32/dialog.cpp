// CDialog on the system's modal dialogs: DialogBoxParamW runs the template of
// the executable's resources, and one dialog procedure hands its messages to
// the framework's handlers.
#include <exception>
#include <utility>

#include "platform/backend.h"
#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"

namespace {

// The owner of a new dialog: its parent if it has one, else the dialog now in
// front, so that a dialog opened from another one is modal over it.
HWND OwnerOf(const CDialog& dialog) {
    if (const HWND parent = HwndOf(dialog.GetParentWnd())) return parent;
    const auto& running = AfxModalDialogs();
    for (auto it = running.rbegin(); it != running.rend(); ++it)
        if (const HWND hwnd = HwndOf(*it)) return hwnd;
    return nullptr;
}

// Runs one of the CWnd handlers whose base version asks for default processing;
// true if it did. A message handled inside the handler (a paint while the About
// box runs) keeps its own answer and leaves this one alone.
template <class Handler>
bool AsksForDefault(CWndState& state, Handler&& handler) {
    const bool outer = std::exchange(state.defaultProcessing, false);
    std::forward<Handler>(handler)();
    return std::exchange(state.defaultProcessing, outer);
}

bool ModifierHeld() {
    return ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 ||
           ::GetKeyState(VK_MENU) < 0;
}

INT_PTR Dispatch(CDialog& dialog, CWndState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return dialog.RunInitDialog();
        case WM_COMMAND: {
            // Buttons, and Enter and Escape, which the dialog manager turns into clicks.
            const UINT id = LOWORD(wParam);
            if (HIWORD(wParam) != BN_CLICKED || (id != IDOK && id != IDCANCEL)) return FALSE;
            dialog.RunCommand(id);
            return TRUE;
        }
        case WM_CLOSE:
            dialog.RunCommand(IDCANCEL);
            return TRUE;
        case WM_HELP:
            // Shift+F1 and the like are not the help command.
            if (ModifierHeld()) return FALSE;
            dialog.RunCommand(ID_HELP);
            return TRUE;
        case WM_SYSCOMMAND:
            return !AsksForDefault(state,
                                   [&] { dialog.OnSysCommand(static_cast<UINT>(wParam), lParam); });
        case WM_PAINT:
            return !AsksForDefault(state, [&] { dialog.OnPaint(); });
        case WM_QUERYDRAGICON: {
            // One of the few messages whose answer a dialog procedure returns itself:
            // the dialog manager passes it on and ignores DWLP_MSGRESULT.
            HCURSOR cursor = nullptr;
            if (AsksForDefault(state, [&] { cursor = dialog.OnQueryDragIcon(); })) return FALSE;
            return reinterpret_cast<INT_PTR>(cursor);
        }
        default:
            return FALSE;
    }
}

void ReportUnexpected(HWND hwnd, const char* what) {
    ::MessageBoxW(hwnd, Widen(what).c_str(), Widen(AfxGetAppName()).c_str(), MB_OK | MB_ICONSTOP);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->GetState()->hwnd = hwnd;
    }
    // Messages sent while the dialog is being created, before WM_INITDIALOG, find no dialog.
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dialog || !dialog->GetState()) return FALSE;
    // The system called us: no exception may unwind through its frames.
    try {
        return Dispatch(*dialog, *dialog->GetState(), message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportUnexpected(hwnd, error.what());
    } catch (...) {
        ReportUnexpected(hwnd, "An unexpected error occurred.");
    }
    // A dialog whose initialisation failed half-way is not shown at all.
    if (message == WM_INITDIALOG) ::EndDialog(hwnd, -1);
    return TRUE;
}

}  // namespace

INT_PTR CDialog::DoModal() {
    const HWND owner = OwnerOf(*this);
    ModalScope modal(this);
    m_pState = std::make_unique<CWndState>();
    const INT_PTR result = ::DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(m_nIDTemplate),
                                             owner, DialogProc, reinterpret_cast<LPARAM>(this));
    m_pState.reset();
    return result;
}

void CDialog::EndDialog(int nResult) {
    // Also during WM_INITDIALOG: the dialog is then destroyed without being shown.
    if (const HWND hwnd = HwndOf(this)) ::EndDialog(hwnd, nResult);
}
