#pragma once

// Korvane's small application framework: just the classes and calls that its
// front end uses, under their customary names. The portable parts live in
// platform/*.cpp; each backend (platform/win32, platform/qt, platform/scripted)
// provides the windows, pickers, message boxes and resources behind them.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/win_types.h"

using CString = std::string;  // text, UTF-8 encoded

// The framework's help command, as the F1 key issues it.
inline constexpr UINT ID_HELP = 0xE146;
// Help contexts of dialogs: this base plus the dialog's template number.
inline constexpr DWORD HID_BASE_RESOURCE = 0x20000;

struct CRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct CWndState;  // a backend's window
struct CMenuState;

// A window's menu, as the system keeps it.
class CMenu {
public:
    explicit CMenu(CMenuState* state) : m_pState(state) {}
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const CString& text = {});

private:
    CMenuState* m_pState;
};

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    CMenu* GetSystemMenu(BOOL bRevert);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    BOOL IsIconic() const;
    void GetClientRect(CRect* rect) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    int MessageBox(const CString& text, const CString& caption = {}, UINT nType = MB_OK);
    void GetDlgItemText(int nID, CString& text) const;
    void SetDlgItemText(int nID, const CString& text);

    // Handlers of window messages. These base versions ask for the system's
    // default processing of the message being handled.
    virtual void OnSysCommand(UINT nID, LPARAM lParam);
    virtual void OnPaint();
    virtual HCURSOR OnQueryDragIcon();

    CWndState* GetState() const { return m_pState.get(); }

protected:
    std::unique_ptr<CWndState> m_pState;  // created and destroyed by the backend
};

// One run of a dialog's data exchange: towards the controls, or back from them.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: from the controls into the members
    CWnd* m_pDlgWnd;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// A modal dialog built from a dialog template of the resources.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the dialog, runs it until EndDialog and returns EndDialog's result
    // (-1 if it could not be created).
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    UINT GetTemplateId() const { return m_nIDTemplate; }
    CWnd* GetParentWnd() const { return m_pParentWnd; }

    // Called by the backends; these run a handler the way the framework does.
    BOOL RunInitDialog() { return OnInitDialog(); }
    void RunCommand(UINT nID);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};

// The system's file picker, in its Explorer-style, resizable form.
class CFileDialog {
public:
    // `lpszFilter` lists name|pattern pairs and ends with "||".
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
                const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;

    virtual INT_PTR DoModal();  // IDOK once a name was chosen, IDCANCEL otherwise
    CString GetPathName() const { return m_strPathName; }

    struct Filter {
        CString name, pattern;
    };
    std::vector<Filter> GetFilters() const;

    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    CString m_strInitialName;
    DWORD m_dwFlags;  // the flags given, with OFN_EXPLORER and OFN_ENABLESIZING added
    CString m_strFilter;
    CWnd* m_pParentWnd;
    CString m_strPathName;  // the chosen file's full path
};

// Painting a window, between the system's begin and end of painting.
struct CPaintDCState;
class CPaintDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC GetSafeHdc() const;
    BOOL DrawIcon(int x, int y, HICON hIcon);

private:
    std::unique_ptr<CPaintDCState> m_pState;
};

class CWinApp {
public:
    explicit CWinApp(const char* lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // The help command: asks the help viewer for this program's help file at the
    // help context of the dialog in front, or reports that it could not.
    virtual void OnHelp();
    void WinHelp(DWORD dwData, UINT nCmd = HELP_CONTEXT);
    void Enable3dControlsStatic() {}  // controls have looked three-dimensional since Windows 4.0
    HICON LoadIcon(UINT nIDResource) const;

    CString m_strAppName;       // the executable's name, without folder and extension
    CString m_strHelpFilePath;  // the executable's full path, with the extension .HLP
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
const char* AfxGetAppName();
void AfxEnableControlContainer();
// The string resource `nID` into `text`; FALSE when there is none.
BOOL AfxLoadString(UINT nID, CString& text);
// A message box owned by the main window, captioned with the application name.
int AfxMessageBox(const CString& text, UINT nType = MB_OK);

// Starts the application: names it after `modulePath` (the executable's full
// path) and runs InitInstance. Each backend's entry point calls it.
int AfxWinMain(const CString& modulePath);
// The dialogs now running modally, innermost last.
const std::vector<CDialog*>& AfxModalDialogs();
