// The help command goes to the system's help viewer.
#include "platform/backend.h"
#include "platform/win32/error_cause.h"
#include "platform/win32/window_state.h"

bool LaunchHelpViewer(CWnd* owner, const CString& helpFile, UINT command, DWORD data) {
    return ::WinHelpW(HwndOf(owner), Widen(helpFile).c_str(), command, data) != FALSE;
}
