// The portable part of the framework: the application object, dialog data
// exchange and command dispatch, help, and the file pickers' settings.
#include <string_view>

#include "platform/afxwin.h"
#include "platform/backend.h"

namespace {

CWinApp* g_pApp = nullptr;

std::vector<CDialog*>& ModalStack() {
    static std::vector<CDialog*> stack;
    return stack;
}

constexpr char kFailedToLaunchHelp[] = "Failed to launch help.";

std::size_t FileNameStart(const CString& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == CString::npos ? 0 : slash + 1;
}

// Where the extension starts, or the end when the file name has none.
std::size_t ExtensionStart(const CString& path) {
    const std::size_t dot = path.find_last_of('.');
    return dot == CString::npos || dot < FileNameStart(path) ? path.size() : dot;
}

}  // namespace

// Application ---------------------------------------------------------------

CWinApp::CWinApp(const char* lpszAppName) : m_strAppName(lpszAppName ? lpszAppName : "") {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

void CWinApp::OnHelp() {
    const auto& dialogs = ModalStack();
    const UINT templateId = dialogs.empty() ? 0 : dialogs.back()->GetTemplateId();
    WinHelp(HID_BASE_RESOURCE + templateId, HELP_CONTEXT);
}

void CWinApp::WinHelp(DWORD dwData, UINT nCmd) {
    CWnd* owner = ModalStack().empty() ? m_pMainWnd : ModalStack().back();
    if (!LaunchHelpViewer(owner, m_strHelpFilePath, nCmd, dwData))
        AfxMessageBox(kFailedToLaunchHelp, MB_OK | MB_ICONEXCLAMATION);
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

const char* AfxGetAppName() {
    return g_pApp ? g_pApp->m_strAppName.c_str() : "";
}

void AfxEnableControlContainer() {
    // Korvane's dialogs hold only the system's own controls: there is nothing to enable.
}

int AfxMessageBox(const CString& text, UINT nType) {
    CWnd* owner =
        ModalStack().empty() ? (g_pApp ? g_pApp->m_pMainWnd : nullptr) : ModalStack().back();
    if (owner) return owner->MessageBox(text, AfxGetAppName(), nType);
    CWnd none;
    return none.MessageBox(text, AfxGetAppName(), nType);
}

CString AppNameFromModulePath(const CString& modulePath) {
    const std::size_t start = FileNameStart(modulePath);
    return modulePath.substr(start, ExtensionStart(modulePath) - start);
}

CString HelpFileFromModulePath(const CString& modulePath) {
    return modulePath.substr(0, ExtensionStart(modulePath)) + ".HLP";
}

int AfxWinMain(const CString& modulePath) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    if (app->m_strAppName.empty()) app->m_strAppName = AppNameFromModulePath(modulePath);
    app->m_strHelpFilePath = HelpFileFromModulePath(modulePath);
    // The program has no message loop of its own: InitInstance runs the modal
    // dialogs and the program ends when it returns, whatever it returns.
    app->InitInstance();
    return 0;
}

const std::vector<CDialog*>& AfxModalDialogs() {
    return ModalStack();
}

ModalScope::ModalScope(CDialog* dialog) {
    ModalStack().push_back(dialog);
}

ModalScope::~ModalScope() {
    ModalStack().pop_back();
}

// Dialogs -------------------------------------------------------------------

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::RunCommand(UINT nID) {
    // A file error leaves the handler, not the dialog: it is reported here and
    // the dialog stays as it was.
    try {
        switch (nID) {
            case IDOK:
                OnOK();
                break;
            case IDCANCEL:
                OnCancel();
                break;
            case ID_HELP:
                if (CWinApp* app = AfxGetApp()) app->OnHelp();
                break;
            default:
                break;
        }
    } catch (const CFileException& error) {
        MessageBox(error.GetErrorMessage(), AfxGetAppName(), MB_OK | MB_ICONSTOP);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    if (pDX->m_bSaveAndValidate)
        pDX->m_pDlgWnd->GetDlgItemText(nIDC, value);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
}

// File pickers --------------------------------------------------------------

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog),
      m_strDefExt(lpszDefExt ? lpszDefExt : ""),
      m_strInitialName(lpszFileName ? lpszFileName : ""),
      m_dwFlags(dwFlags | OFN_EXPLORER | OFN_ENABLESIZING),
      m_strFilter(lpszFilter ? lpszFilter : ""),
      m_pParentWnd(pParentWnd) {}

std::vector<CFileDialog::Filter> CFileDialog::GetFilters() const {
    std::vector<Filter> filters;
    std::string_view rest = m_strFilter;
    while (!rest.empty()) {
        const std::size_t nameEnd = rest.find('|');
        if (nameEnd == std::string_view::npos || nameEnd == 0) break;
        const std::size_t patternEnd = rest.find('|', nameEnd + 1);
        const std::string_view pattern = rest.substr(
            nameEnd + 1,
            patternEnd == std::string_view::npos ? patternEnd : patternEnd - nameEnd - 1);
        filters.push_back({CString(rest.substr(0, nameEnd)), CString(pattern)});
        if (patternEnd == std::string_view::npos) break;
        rest.remove_prefix(patternEnd + 1);
    }
    return filters;
}
