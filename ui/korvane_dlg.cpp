#include "ui/korvane_dlg.h"

#include "audio/convert.h"
#include "ui/about_dlg.h"

CKorvaneDlg::CKorvaneDlg(CWnd* pParent)
    : CDialog(IDD_KORVANE_DIALOG, pParent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

void CKorvaneDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_OUTPUT, m_strOutput);
    DDX_Text(pDX, IDC_INPUT, m_strInput);
}

BOOL CKorvaneDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strAboutMenu;
        AfxLoadString(IDS_ABOUTBOX, strAboutMenu);
        if (!strAboutMenu.empty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Both files are chosen before the dialog is first shown; giving up on
    // either ends the program.
    CFileDialog openDlg(TRUE, nullptr, "*.XA", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                        "XA files (*.XA)|*.XA||", this);
    if (openDlg.DoModal() != IDOK) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    CFileDialog saveDlg(FALSE, nullptr, "*.WAV", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                        "WAV files (*.WAV)|*.WAV||", this);
    if (saveDlg.DoModal() != IDOK) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_strInput = openDlg.GetPathName();
    m_strOutput = saveDlg.GetPathName();
    UpdateData(FALSE);

    return TRUE;  // the focus goes to the first tab stop, "Decode"
}

void CKorvaneDlg::OnOK() {
    UpdateData(TRUE);
    ConvertXaToWav(m_strInput, m_strOutput,
                   [this](const CString& text) { MessageBox(text, AfxGetAppName(), MB_OK); });
    CDialog::OnOK();
}

void CKorvaneDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CKorvaneDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    // Centre the icon in the client rectangle.
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

// The cursor shown while the minimized window is dragged.
HCURSOR CKorvaneDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}
