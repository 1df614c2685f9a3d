#pragma once

#include "platform/afxwin.h"
#include "res/resource.h"

// The main dialog: asks for the XA file and the WAV file before it is shown,
// shows both paths, and converts when "Decode" is pressed.
class CKorvaneDlg : public CDialog {
public:
    explicit CKorvaneDlg(CWnd* pParent = nullptr);

    CString m_strOutput;
    CString m_strInput;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnSysCommand(UINT nID, LPARAM lParam) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;

    HICON m_hIcon;
};
