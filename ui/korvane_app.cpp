#include "ui/korvane_app.h"

#include "ui/korvane_dlg.h"

CKorvaneApp theApp;

CKorvaneApp::CKorvaneApp() = default;

BOOL CKorvaneApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    CKorvaneDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has closed: return FALSE so the program ends instead of
    // entering a message loop.
    return FALSE;
}
