#pragma once

// The Qt window behind a CDialog, built from the dialog's template.
#include <QDialog>
#include <QImage>
#include <QList>
#include <memory>
#include <vector>

#include "platform/afxwin.h"
#include "platform/qt/qt_backend.h"
#include "platform/resource_table.h"

class QMenu;
class QPainter;

// An icon handle points at one of these; loaded icons live as long as the program.
struct HICON__ {
    QList<QImage> images;  // the richest image of each size, largest first
};

struct HDC__ {
    explicit HDC__(QWidget* widget);
    ~HDC__();
    std::unique_ptr<QPainter> painter;
};

namespace qtbackend {

HICON LoadIconResource(UINT id);
// Who owns a new window: the one named if it has a window, else the dialog in
// front, else the main window; nullptr when there is none.
QWidget* OwnerWidget(const CWnd* named);
// After a modal window closes: its owner takes the keyboard again.
void Reactivate(QWidget* owner);

class TemplateDialog : public QDialog {
public:
    // Builds the dialog and its controls; `owner` runs the framework's handlers
    // for the keys, buttons and menu items used on it.
    TemplateDialog(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent);
    ~TemplateDialog() override;

    BaseUnits Base() const { return m_base; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    // The first control with this id, or nullptr.
    QWidget* Control(int id) const;
    QWidget* ControlAt(int index) const;
    void SetControlText(QWidget* control, const QString& text);
    static QString ControlText(const QWidget* control);
    bool IsPainting() const { return m_painting; }

    // Before the dialog is first shown: centred over `owner` when that shows,
    // else on its screen, so that pickers opened during initialisation appear
    // where the dialog will.
    void PlaceOver(const QWidget* owner);
    void FocusFirstTabStop();
    void PopUpSystemMenu(const QPoint& globalPos);

protected:
    void reject() override;  // Escape and the close box
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* CreateControl(const ControlTemplate& control, int index);
    QWidget* NextTabStopAfter(int index) const;

    CDialog& m_owner;
    const DialogTemplate& m_template;
    BaseUnits m_base;
    std::vector<QWidget*> m_controls;  // in template order; null where unsupported
    QMenu* m_systemMenu = nullptr;
    bool m_painting = false;
};

}  // namespace qtbackend

// What the framework keeps for a running dialog.
struct CMenuState {
    QMenu* menu = nullptr;
};

struct CWndState {
    std::unique_ptr<qtbackend::TemplateDialog> dialog;
    CMenuState systemMenuState;
    CMenu systemMenu{&systemMenuState};
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    bool ended = false;
    int result = 0;
};
