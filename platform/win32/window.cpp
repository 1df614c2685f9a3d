// CWnd and CMenu on a window handle: every member forwards to the system, and
// does nothing (or reports nothing) when the window has no handle.
#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"

HWND HwndOf(const CWnd* wnd) {
    const CWndState* state = wnd ? wnd->GetState() : nullptr;
    return state ? state->hwnd : nullptr;
}

HINSTANCE ModuleInstance() {
    return ::GetModuleHandleW(nullptr);
}

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    const HWND hwnd = HwndOf(this);
    if (!hwnd) return nullptr;
    const HMENU menu = ::GetSystemMenu(hwnd, bRevert);
    if (!menu) return nullptr;
    m_pState->systemMenuState.menu = menu;
    return &m_pState->systemMenu;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const CString& text) {
    if (nFlags & MF_SEPARATOR) return ::AppendMenuW(m_pState->menu, nFlags, nIDNewItem, nullptr);
    return ::AppendMenuW(m_pState->menu, nFlags, nIDNewItem, Widen(text).c_str());
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    const HWND hwnd = HwndOf(this);
    if (!hwnd) return nullptr;
    return reinterpret_cast<HICON>(::SendMessageW(
        hwnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::IsIconic() const {
    const HWND hwnd = HwndOf(this);
    return hwnd && ::IsIconic(hwnd);
}

void CWnd::GetClientRect(CRect* rect) const {
    RECT client{};
    if (const HWND hwnd = HwndOf(this)) ::GetClientRect(hwnd, &client);
    *rect = {client.left, client.top, client.right, client.bottom};
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = HwndOf(this);
    return hwnd ? ::SendMessageW(hwnd, message, wParam, lParam) : 0;
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT nType) {
    // Without a caption the box is named after the program, not the system's "Error".
    const std::wstring wideCaption = Widen(caption.empty() ? CString(AfxGetAppName()) : caption);
    return ::MessageBoxW(HwndOf(this), Widen(text).c_str(), wideCaption.c_str(), nType);
}

void CWnd::GetDlgItemText(int nID, CString& text) const {
    text.clear();
    const HWND item = ::GetDlgItem(HwndOf(this), nID);
    if (!item) return;
    const int length = ::GetWindowTextLengthW(item);
    if (length <= 0) return;
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(item, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    text = Narrow(wide);
}

void CWnd::SetDlgItemText(int nID, const CString& text) {
    if (const HWND hwnd = HwndOf(this)) ::SetDlgItemTextW(hwnd, nID, Widen(text).c_str());
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    if (m_pState) m_pState->defaultProcessing = true;
}

void CWnd::OnPaint() {
    if (m_pState) m_pState->defaultProcessing = true;
}

HCURSOR CWnd::OnQueryDragIcon() {
    if (m_pState) m_pState->defaultProcessing = true;
    return nullptr;
}
