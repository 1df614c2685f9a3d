#pragma once

#include "platform/afxwin.h"

// The application: runs the main dialog once, then ends.
class CKorvaneApp : public CWinApp {
public:
    CKorvaneApp();
    BOOL InitInstance() override;
};

extern CKorvaneApp theApp;
