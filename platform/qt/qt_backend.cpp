// The Qt backend: the framework's windows are Qt widgets built from the
// resource script's templates; message boxes, icons and strings come from Qt
// and the generated resource table.
#include <QAction>
#include <QApplication>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <map>

#include "platform/backend.h"
#include "platform/qt/template_dialog.h"

// The resource file is linked from a static library: nothing else would pull
// its registration in. (Outside any namespace: the registration function is global.)
static void RegisterResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(korvane_qt);
        return true;
    }();
    (void)registered;
}

namespace qtbackend {

namespace {

// The Qt window of a framework window that has one.
TemplateDialog* TemplateOf(const CWnd* wnd) {
    return wnd && wnd->GetState() ? wnd->GetState()->dialog.get() : nullptr;
}

const TemplateDialog* AsTemplateDialog(const QWidget* widget) {
    return dynamic_cast<const TemplateDialog*>(widget);
}

}  // namespace

QWidget* OwnerWidget(const CWnd* named) {
    if (TemplateDialog* dialog = TemplateOf(named)) return dialog;
    const auto& dialogs = AfxModalDialogs();
    if (!dialogs.empty())
        if (TemplateDialog* dialog = TemplateOf(dialogs.back())) return dialog;
    if (const CWinApp* app = AfxGetApp()) return TemplateOf(app->m_pMainWnd);
    return nullptr;
}

void Reactivate(QWidget* owner) {
    // Window managers hand the activation back to the owner; a bare X server
    // (and Qt's offscreen platform) leaves no window active, and no key would
    // reach the dialog until it is clicked.
    if (owner && owner->isVisible()) owner->activateWindow();
}

HICON LoadIconResource(UINT id) {
    static std::map<UINT, std::unique_ptr<HICON__>> loaded;
    if (const auto found = loaded.find(id); found != loaded.end()) return found->second.get();
    RegisterResources();
    // One image per size: the one with the most colours, as a display of
    // today would choose.
    QImageReader reader(QStringLiteral(":/icons/%1.ico").arg(id));
    std::map<std::pair<int, int>, std::pair<int, QImage>, std::greater<>> best;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        QImage image;
        if ((!reader.jumpToImage(i) && i > 0) || !reader.read(&image)) break;
        // The ICO reader converts every image; it keeps the file's colour depth here.
        const int depth = image.text(QStringLiteral("_q_icoOrigDepth")).toInt();
        auto& [bestDepth, bestImage] = best[{image.width(), image.height()}];
        if (bestImage.isNull() || depth > bestDepth) {
            bestDepth = depth;
            bestImage = image;
        }
    }
    if (best.empty()) return nullptr;
    auto icon = std::make_unique<HICON__>();
    for (const auto& [size, entry] : best) icon->images.push_back(entry.second);
    return (loaded[id] = std::move(icon)).get();
}

QIcon IconOf(HICON icon) {
    QIcon result;
    if (icon)
        for (const QImage& image : icon->images) result.addPixmap(QPixmap::fromImage(image));
    return result;
}

QDialog* DialogWidget(const CWnd& wnd) {
    return TemplateOf(&wnd);
}

QWidget* TemplateControl(const QWidget* dialog, int index) {
    const TemplateDialog* found = AsTemplateDialog(dialog);
    return found ? found->ControlAt(index) : nullptr;
}

QMenu* SystemMenu(const QWidget* dialog) {
    const TemplateDialog* found = AsTemplateDialog(dialog);
    return found ? found->SystemMenu() : nullptr;
}

BaseUnits DialogBaseUnits(const QWidget* dialog) {
    const TemplateDialog* found = AsTemplateDialog(dialog);
    return found ? found->Base() : BaseUnits{};
}

}  // namespace qtbackend

using qtbackend::TemplateDialog;
using qtbackend::TemplateOf;

// Windows --------------------------------------------------------------------

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    if (!m_pState || !m_pState->systemMenuState.menu) return nullptr;
    if (bRevert) {
        // Back to the menu as the dialog was created: empty.
        m_pState->systemMenuState.menu->clear();
        return nullptr;
    }
    return &m_pState->systemMenu;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const CString& text) {
    if (!m_pState || !m_pState->menu) return FALSE;
    if (nFlags & MF_SEPARATOR) {
        m_pState->menu->addSeparator();
    } else {
        QAction* item = m_pState->menu->addAction(QString::fromUtf8(text));
        item->setData(static_cast<uint>(nIDNewItem));
    }
    return TRUE;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    if (!m_pState) return nullptr;
    HICON& slot = bBigIcon ? m_pState->bigIcon : m_pState->smallIcon;
    const HICON previous = slot;
    slot = hIcon;
    // Qt keeps one icon per window, in several sizes: both handles go into it.
    QIcon combined;
    const HICON small = m_pState->smallIcon == m_pState->bigIcon ? nullptr : m_pState->smallIcon;
    for (const HICON handle : {m_pState->bigIcon, small})
        for (const QImage& image : handle ? handle->images : QList<QImage>{})
            combined.addPixmap(QPixmap::fromImage(image));
    if (TemplateDialog* dialog = TemplateOf(this)) dialog->setWindowIcon(combined);
    return previous;
}

BOOL CWnd::IsIconic() const {
    const TemplateDialog* dialog = TemplateOf(this);
    return dialog && dialog->isMinimized();
}

void CWnd::GetClientRect(CRect* rect) const {
    const TemplateDialog* dialog = TemplateOf(this);
    *rect = dialog ? CRect{0, 0, dialog->width(), dialog->height()} : CRect{};
}

LRESULT CWnd::SendMessage(UINT, WPARAM, LPARAM) {
    // Qt windows take no messages. The one the program sends asks to erase the
    // background behind a minimized window's icon, which Qt never paints.
    return 0;
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT nType) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (nType & MB_ICONMASK) {
        case MB_ICONSTOP:
            icon = QMessageBox::Critical;
            break;
        case 0x20:  // question mark
            icon = QMessageBox::Question;
            break;
        case MB_ICONEXCLAMATION:
            icon = QMessageBox::Warning;
            break;
        case 0x40:  // information
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    const CString& title = caption.empty() ? CString(AfxGetAppName()) : caption;
    QMessageBox box(icon, QString::fromUtf8(title), QString::fromUtf8(text), QMessageBox::Ok,
                    TemplateOf(this));
    box.setTextFormat(Qt::PlainText);  // file names may hold '<'
    box.exec();
    qtbackend::Reactivate(box.parentWidget());
    return IDOK;
}

void CWnd::GetDlgItemText(int nID, CString& text) const {
    const TemplateDialog* dialog = TemplateOf(this);
    const QWidget* control = dialog ? dialog->Control(nID) : nullptr;
    text = control ? TemplateDialog::ControlText(control).toUtf8().toStdString() : CString();
}

void CWnd::SetDlgItemText(int nID, const CString& text) {
    TemplateDialog* dialog = TemplateOf(this);
    if (QWidget* control = dialog ? dialog->Control(nID) : nullptr)
        dialog->SetControlText(control, QString::fromUtf8(text));
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    // The menu holds only the items the program added: nothing is left for the
    // system to carry out.
}

void CWnd::OnPaint() {
    // Qt has painted the window and its controls already.
}

HCURSOR CWnd::OnQueryDragIcon() {
    return nullptr;
}

HDC__::HDC__(QWidget* widget) : painter(std::make_unique<QPainter>(widget)) {}
HDC__::~HDC__() = default;

struct CPaintDCState {
    std::unique_ptr<HDC__> dc;  // only while the window is in its paint event
};

CPaintDC::CPaintDC(CWnd* pWnd) : m_pState(std::make_unique<CPaintDCState>()) {
    if (TemplateDialog* dialog = TemplateOf(pWnd); dialog && dialog->IsPainting())
        m_pState->dc = std::make_unique<HDC__>(dialog);
}

CPaintDC::~CPaintDC() = default;

HDC CPaintDC::GetSafeHdc() const {
    return m_pState->dc.get();
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) {
    if (!m_pState->dc || !hIcon) return FALSE;
    const QIcon icon = qtbackend::IconOf(hIcon);
    m_pState->dc->painter->drawPixmap(
        x, y, icon.pixmap(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    return TRUE;
}

int GetSystemMetrics(int index) {
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

// Dialogs --------------------------------------------------------------------

INT_PTR CDialog::DoModal() {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(static_cast<int>(m_nIDTemplate));
    if (!dialogTemplate) return -1;
    QWidget* owner = qtbackend::OwnerWidget(m_pParentWnd);  // before this dialog joins the list
    ModalScope modal(this);
    m_pState = std::make_unique<CWndState>();
    m_pState->dialog = std::make_unique<TemplateDialog>(*this, *dialogTemplate, owner);
    TemplateDialog& dialog = *m_pState->dialog;
    m_pState->systemMenuState.menu = dialog.SystemMenu();
    dialog.PlaceOver(owner);

    // The dialog stays hidden while it initialises: whatever that shows (the
    // pickers) it owns, and a dialog ended there is never shown.
    if (RunInitDialog()) dialog.FocusFirstTabStop();
    if (!m_pState->ended) {
        dialog.exec();
        qtbackend::Reactivate(owner);
    }
    const int result = m_pState->ended ? m_pState->result : -1;
    m_pState.reset();
    return result;
}

void CDialog::EndDialog(int nResult) {
    if (!m_pState) return;
    m_pState->ended = true;
    m_pState->result = nResult;
    if (m_pState->dialog && m_pState->dialog->isVisible()) m_pState->dialog->done(nResult);
}

// Resources, help --------------------------------------------------------------

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return qtbackend::LoadIconResource(nIDResource);
}

BOOL AfxLoadString(UINT nID, CString& text) {
    const char* resource = FindStringResource(static_cast<int>(nID));
    text = resource ? resource : "";
    return !text.empty();
}

bool LaunchHelpViewer(CWnd*, const CString&, UINT, DWORD) {
    // The help file is in the other system's own format, and no viewer for it
    // is at hand here.
    return false;
}
