#pragma once

// What the portable part of the framework asks of a backend, besides the
// members of its classes that each backend defines.
#include "platform/afxwin.h"

// Asks the system's help viewer for `helpFile` at `data`; false if the viewer
// could not be started.
bool LaunchHelpViewer(CWnd* owner, const CString& helpFile, UINT command, DWORD data);

// Keeps a dialog on the list of modal dialogs while its DoModal runs.
class ModalScope {
public:
    explicit ModalScope(CDialog* dialog);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

// The application name and help file that belong to an executable's path.
CString AppNameFromModulePath(const CString& modulePath);
CString HelpFileFromModulePath(const CString& modulePath);
