#pragma once

// What the Win32 backend keeps for a window: its handle and the little state
// that the framework's handlers pass back to the dialog procedure.
#include "platform/afxwin.h"

struct CMenuState {
    HMENU menu = nullptr;
};

struct CWndState {
    HWND hwnd = nullptr;  // set once the dialog exists, cleared when DoModal returns
    CMenuState systemMenuState;
    CMenu systemMenu{&systemMenuState};
    // Set by the base handlers of CWnd: the message being handled goes on to the
    // system's dialog manager.
    bool defaultProcessing = false;
};

struct CPaintDCState {
    HWND hwnd = nullptr;
    PAINTSTRUCT paint{};
    HDC hdc = nullptr;
};

// The window's handle; null for a window that has none (yet, or any more).
HWND HwndOf(const CWnd* wnd);
// Resources come from the executable itself.
HINSTANCE ModuleInstance();
