// The executable's own resources: its icon and its string table.
#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(nIDResource));
}

BOOL AfxLoadString(UINT nID, CString& text) {
    // With no buffer, LoadStringW points into the resource itself: any length fits.
    const wchar_t* resource = nullptr;
    const int length = ::LoadStringW(ModuleInstance(), nID, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || !resource) {
        text.clear();
        return FALSE;
    }
    text = Narrow(std::wstring(resource, static_cast<std::size_t>(length)));
    return TRUE;
}
