#include "platform/qt/template_dialog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {

// The window styles the templates use, with the system's values.
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsBorder = 0x00800000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kWsThickFrame = 0x00040000;
constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kBsTypeMask = 0x0F;
constexpr std::uint32_t kBsDefPushButton = 0x01;
constexpr std::uint32_t kEsReadOnly = 0x0800;
constexpr std::uint32_t kSsTypeMask = 0x1F;
constexpr std::uint32_t kSsLeft = 0x00;
constexpr std::uint32_t kSsIcon = 0x03;
constexpr std::uint32_t kSsNoPrefix = 0x80;

constexpr char kIndexProperty[] = "korvaneTemplateIndex";
constexpr char kIdProperty[] = "korvaneControlId";
constexpr char kTextProperty[] = "korvaneText";  // as last set, '&' marks and all

// A static text without its '&' marks, for a label whose mnemonic has no
// control to move to: "&&" stands for one '&'.
QString WithoutMnemonics(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

}  // namespace

namespace qtbackend {

TemplateDialog::TemplateDialog(CDialog& owner, const DialogTemplate& dialogTemplate,
                               QWidget* parent)
    : QDialog(parent), m_owner(owner), m_template(dialogTemplate) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QFont font = DialogFont(dialogTemplate, screen ? screen->logicalDotsPerInchY() : 96.0);
    setFont(font);
    m_base = MeasureBaseUnits(font);

    setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialogTemplate.style & kWsSysMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    const QRect client = DialogUnitsToPixels(
        {dialogTemplate.x, dialogTemplate.y, dialogTemplate.cx, dialogTemplate.cy}, m_base);
    if (dialogTemplate.style & kWsThickFrame)
        resize(client.size());
    else
        setFixedSize(client.size());

    for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i)
        m_controls.push_back(CreateControl(dialogTemplate.controls[i], static_cast<int>(i)));

    // Qt's focus chain already follows creation order; spelled out, the tab
    // stops are visited in template order whatever else joins the dialog.
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (!m_controls[i] || !(dialogTemplate.controls[i].style & kWsTabStop)) continue;
        if (previous) setTabOrder(previous, m_controls[i]);
        previous = m_controls[i];
    }

    // A label's mnemonic moves to the tab stop after it, so texts come last.
    for (std::size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i])
            SetControlText(m_controls[i], QString::fromUtf8(dialogTemplate.controls[i].text));

    if (dialogTemplate.style & kWsSysMenu) {
        // X11 window managers keep the title bar's menu to themselves, so the
        // dialog offers its own on a right-click and on Alt+Space.
        m_systemMenu = new QMenu(this);
        auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
        connect(menuKey, &QShortcut::activated, this,
                [this] { PopUpSystemMenu(mapToGlobal(QPoint(0, 0))); });
    }
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, [this] { m_owner.RunCommand(ID_HELP); });
}

TemplateDialog::~TemplateDialog() = default;

QWidget* TemplateDialog::CreateControl(const ControlTemplate& control, int index) {
    const QString windowClass = QString::fromLatin1(control.windowClass);
    const QString text = QString::fromUtf8(control.text);
    QRect geometry = DialogUnitsToPixels({control.x, control.y, control.cx, control.cy}, m_base);
    QWidget* widget = nullptr;
    if (windowClass == u"Button" && (control.style & kBsTypeMask) <= kBsDefPushButton) {
        auto* button = new QPushButton(text, this);
        button->setDefault((control.style & kBsTypeMask) == kBsDefPushButton);
        const UINT id = static_cast<UINT>(control.id);
        connect(button, &QPushButton::clicked, this, [this, id] { m_owner.RunCommand(id); });
        widget = button;
    } else if (windowClass == u"Edit") {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(control.style & kEsReadOnly);
        edit->setFrame(control.style & kWsBorder);
        widget = edit;
    } else if (windowClass == u"Static" && (control.style & kSsTypeMask) == kSsIcon) {
        auto* label = new QLabel(this);
        // An icon control takes the icon's own size, whatever the template says.
        const QSize size(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        label->setPixmap(IconOf(LoadIconResource(static_cast<UINT>(control.iconId))).pixmap(size));
        geometry.setSize(size);
        widget = label;
    } else if (windowClass == u"Static" && (control.style & kSsTypeMask) == kSsLeft) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        widget = label;
    } else {
        qWarning("Korvane: control %d of dialog %d is of a kind this backend does not show", index,
                 m_template.id);
        return nullptr;
    }
    widget->setGeometry(geometry);
    widget->setProperty(kIndexProperty, index);
    widget->setProperty(kIdProperty, control.id);
    if (control.style & kWsTabStop)
        widget->setFocusPolicy(Qt::StrongFocus);
    else if (widget->focusPolicy() != Qt::NoFocus)
        widget->setFocusPolicy(Qt::ClickFocus);
    widget->setEnabled(!(control.style & kWsDisabled));
    widget->setVisible(control.style & kWsVisible);
    return widget;
}

void TemplateDialog::SetControlText(QWidget* control, const QString& text) {
    control->setProperty(kTextProperty, text);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
        edit->setCursorPosition(0);  // a long path shows from its start, as typed
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        const int index = control->property(kIndexProperty).toInt();
        const std::uint32_t style = m_template.controls[static_cast<std::size_t>(index)].style;
        if ((style & kSsTypeMask) != kSsLeft) return;  // an icon keeps its picture
        const bool noPrefix = style & kSsNoPrefix;
        QWidget* buddy = noPrefix ? nullptr : NextTabStopAfter(index);
        label->setBuddy(buddy);
        // Qt reads '&' as a mnemonic only in a label with a buddy.
        label->setText(noPrefix || buddy ? text : WithoutMnemonics(text));
    }
}

QString TemplateDialog::ControlText(const QWidget* control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    return control->property(kTextProperty).toString();
}

QWidget* TemplateDialog::NextTabStopAfter(int index) const {
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < m_controls.size(); ++i)
        if (m_controls[i] && (m_template.controls[i].style & kWsTabStop)) return m_controls[i];
    return nullptr;
}

QWidget* TemplateDialog::Control(int id) const {
    for (QWidget* control : m_controls)
        if (control && control->property(kIdProperty).toInt() == id) return control;
    return nullptr;
}

QWidget* TemplateDialog::ControlAt(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_controls.size()
               ? m_controls[static_cast<std::size_t>(index)]
               : nullptr;
}

void TemplateDialog::PlaceOver(const QWidget* owner) {
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) move(area.center() - rect().center());
}

void TemplateDialog::FocusFirstTabStop() {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        QWidget* control = m_controls[i];
        if (control && (m_template.controls[i].style & kWsTabStop) && control->isEnabled() &&
            !control->isHidden()) {
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TemplateDialog::PopUpSystemMenu(const QPoint& globalPos) {
    if (!m_systemMenu) return;
    const QList<QAction*> items = m_systemMenu->actions();
    if (std::none_of(items.begin(), items.end(),
                     [](QAction* item) { return !item->isSeparator(); }))
        return;
    // The command runs once the menu has closed, as a chosen item's command does.
    if (const QAction* chosen = m_systemMenu->exec(globalPos))
        m_owner.OnSysCommand(chosen->data().toUInt(), 0);
}

void TemplateDialog::reject() {
    m_owner.RunCommand(IDCANCEL);
}

void TemplateDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_systemMenu) {
        event->ignore();
        return;
    }
    PopUpSystemMenu(event->globalPos());
}

void TemplateDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    m_painting = true;
    m_owner.OnPaint();
    m_painting = false;
}

}  // namespace qtbackend
