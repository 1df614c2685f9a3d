// The scripted backend: dialogs run their handlers for scripted user actions;
// pickers, message boxes and the help viewer answer from the script.
#include <cstdio>
#include <map>

#include "platform/backend.h"
#include "platform/resource_table.h"
#include "platform/scripted/script.h"

namespace scripted {

Script& Current() {
    static Script script;
    return script;
}

void Reset() {
    Current() = Script{};
}

namespace {

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

UINT TemplateOf(CWnd* wnd) {
    auto* dialog = dynamic_cast<CDialog*>(wnd);
    return dialog ? dialog->GetTemplateId() : 0;
}

}  // namespace

Action Press(UINT nID) {
    return [nID](CDialog& dialog) {
        Current().events.push_back("press " + std::to_string(nID));
        dialog.RunCommand(nID);
    };
}

Action SysCommand(UINT nID) {
    return [nID](CDialog& dialog) {
        Current().events.push_back("system command " + Hex(nID));
        dialog.OnSysCommand(nID, 0);
    };
}

Action PressF1() {
    return [](CDialog& dialog) {
        Current().events.push_back("F1");
        dialog.RunCommand(ID_HELP);
    };
}

}  // namespace scripted

using scripted::Current;

struct CMenuState {
    std::vector<scripted::MenuItem> items;
};

struct CWndState {
    std::map<int, CString> texts;
    bool hasSystemMenu = false;
    CMenuState systemMenuState;
    CMenu systemMenu{&systemMenuState};
    bool iconic = false;
    CRect client;
    bool ended = false;
    int result = 0;
    bool defaultProcessing = false;
};

struct CPaintDCState {};

namespace scripted {

Action Minimize(int clientWidth, int clientHeight) {
    return [clientWidth, clientHeight](CDialog& dialog) {
        Current().events.push_back("minimize");
        CWndState* state = dialog.GetState();
        state->iconic = true;
        state->client = {0, 0, clientWidth, clientHeight};
        dialog.OnPaint();
    };
}

}  // namespace scripted

// Windows --------------------------------------------------------------------

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

CMenu* CWnd::GetSystemMenu(BOOL) {
    if (!m_pState || !m_pState->hasSystemMenu) return nullptr;
    return &m_pState->systemMenu;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const CString& text) {
    m_pState->items.push_back({nFlags, nIDNewItem, text});
    return TRUE;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    Current().events.push_back(std::string("set ") + (bBigIcon ? "big" : "small") + " icon " +
                               std::to_string(reinterpret_cast<std::uintptr_t>(hIcon)));
    return nullptr;
}

BOOL CWnd::IsIconic() const {
    return m_pState && m_pState->iconic;
}

void CWnd::GetClientRect(CRect* rect) const {
    *rect = m_pState ? m_pState->client : CRect{};
}

LRESULT CWnd::SendMessage(UINT message, WPARAM, LPARAM) {
    Current().events.push_back("send message " + scripted::Hex(message));
    return 0;
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT nType) {
    Current().messageBoxes.push_back({text, caption, nType, scripted::TemplateOf(this)});
    Current().events.push_back("message box: " + text);
    return IDOK;
}

void CWnd::GetDlgItemText(int nID, CString& text) const {
    const auto found = m_pState->texts.find(nID);
    text = found == m_pState->texts.end() ? CString() : found->second;
}

void CWnd::SetDlgItemText(int nID, const CString& text) {
    m_pState->texts[nID] = text;
}

void CWnd::OnSysCommand(UINT nID, LPARAM) {
    Current().events.push_back("default system command " + scripted::Hex(nID));
}

void CWnd::OnPaint() {
    Current().events.push_back("default paint");
}

HCURSOR CWnd::OnQueryDragIcon() {
    return nullptr;
}

CPaintDC::CPaintDC(CWnd*) : m_pState(std::make_unique<CPaintDCState>()) {}
CPaintDC::~CPaintDC() = default;
HDC CPaintDC::GetSafeHdc() const {
    return nullptr;
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON) {
    Current().drawnIcons.emplace_back(x, y);
    return TRUE;
}

#ifndef _WIN32
int GetSystemMetrics(int index) {
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}
#endif

// Dialogs --------------------------------------------------------------------

INT_PTR CDialog::DoModal() {
    ModalScope modal(this);
    m_pState = std::make_unique<CWndState>();
    if (const DialogTemplate* dialogTemplate =
            FindDialogTemplate(static_cast<int>(m_nIDTemplate))) {
        m_pState->hasSystemMenu = (dialogTemplate->style & 0x00080000u) != 0;  // WS_SYSMENU
        for (const ControlTemplate& control : dialogTemplate->controls)
            if (control.id != -1) m_pState->texts[control.id] = control.text;
    }
    Current().events.push_back("create dialog " + std::to_string(m_nIDTemplate));
    RunInitDialog();
    Current().systemMenus[m_nIDTemplate] = m_pState->systemMenuState.items;
    if (!m_pState->ended)
        Current().events.push_back("show dialog " + std::to_string(m_nIDTemplate));
    while (!m_pState->ended) {
        if (Current().actions.empty()) {
            // The user is done with the script but the dialog waits: close it, loudly.
            Current().events.push_back("script ran out of actions");
            EndDialog(-1);
            break;
        }
        const scripted::Action action = std::move(Current().actions.front());
        Current().actions.pop_front();
        action(*this);
    }
    Current().lastTexts.clear();
    for (const auto& [id, text] : m_pState->texts)
        Current().lastTexts[static_cast<UINT>(id)] = text;
    const int result = m_pState->result;
    m_pState.reset();
    Current().events.push_back("end dialog " + std::to_string(m_nIDTemplate) + " with " +
                               std::to_string(result));
    return result;
}

void CDialog::EndDialog(int nResult) {
    m_pState->ended = true;
    m_pState->result = nResult;
}

// Pickers, resources, help -------------------------------------------------

INT_PTR CFileDialog::DoModal() {
    scripted::Script& script = Current();
    script.shownPickers.push_back({m_bOpenFileDialog, m_strDefExt, m_strInitialName, m_dwFlags,
                                   GetFilters(), scripted::TemplateOf(m_pParentWnd)});
    script.events.push_back(m_bOpenFileDialog ? "open picker" : "save picker");
    if (script.pickers.empty() || !script.pickers.front().ok) {
        if (!script.pickers.empty()) script.pickers.pop_front();
        return IDCANCEL;
    }
    m_strPathName = script.pickers.front().path;
    script.pickers.pop_front();
    return IDOK;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(nIDResource));
}

BOOL AfxLoadString(UINT nID, CString& text) {
    const auto& overrides = Current().strings;
    if (const auto found = overrides.find(nID); found != overrides.end()) {
        text = found->second;
    } else {
        const char* resource = FindStringResource(static_cast<int>(nID));
        text = resource ? resource : "";
    }
    return !text.empty();
}

bool LaunchHelpViewer(CWnd*, const CString& helpFile, UINT command, DWORD data) {
    Current().helpRequests.push_back({helpFile, command, data});
    Current().events.push_back("help " + scripted::Hex(data));
    return Current().helpViewerStarts;
}
