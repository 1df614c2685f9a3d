#pragma once

#include "platform/afxwin.h"
#include "res/resource.h"

// The About box: the icon, the version and a notice; OK, Escape or the close box end it.
class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
