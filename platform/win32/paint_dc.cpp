// CPaintDC: the window's update region, between BeginPaint and EndPaint.
#include "platform/win32/window_state.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_pState(std::make_unique<CPaintDCState>()) {
    m_pState->hwnd = HwndOf(pWnd);
    if (m_pState->hwnd) m_pState->hdc = ::BeginPaint(m_pState->hwnd, &m_pState->paint);
}

CPaintDC::~CPaintDC() {
    if (m_pState->hdc) ::EndPaint(m_pState->hwnd, &m_pState->paint);
}

HDC CPaintDC::GetSafeHdc() const {
    return m_pState->hdc;
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) {
    return m_pState->hdc ? ::DrawIcon(m_pState->hdc, x, y, hIcon) : FALSE;
}
