#pragma once

// The Qt backend's own helpers: how dialog units become pixels, and where the
// widgets behind the framework's windows are. The program itself needs none of
// this; the Qt tests use it to find and measure what the backend built.
#include <QFont>
#include <QIcon>
#include <QRect>

#include "platform/afxwin.h"
#include "platform/resource_table.h"

class QDialog;
class QMenu;
class QWidget;

namespace qtbackend {

// Rounds number * numerator / denominator to the nearest integer, halves away
// from zero, as the system's dialog manager does; -1 when the denominator is 0
// or the result does not fit.
int MulDiv(int number, int numerator, int denominator);

// Pixels per four horizontal and eight vertical dialog units.
struct BaseUnits {
    int x = 0;
    int y = 0;
    bool operator==(const BaseUnits&) const = default;
};

// The horizontal base unit from the width of the 52 letters A-Z and a-z, rounded
// the system's way.
int HorizontalBaseUnit(int alphabetWidth);
BaseUnits MeasureBaseUnits(const QFont& font);

// The template's font at the given dots per inch: its typeface when installed,
// else the closest sans-serif face, at the template's point size.
QFont DialogFont(const DialogTemplate& dialogTemplate, qreal dotsPerInch);

// A rectangle in dialog units (x, y, width, height) in pixels.
QRect DialogUnitsToPixels(const QRect& units, BaseUnits base);

// The window the backend made for a running dialog, or nullptr.
QDialog* DialogWidget(const CWnd& wnd);
// The widget made for control `index` of a dialog's template, or nullptr.
QWidget* TemplateControl(const QWidget* dialog, int index);
// The menu that stands for a dialog's system menu, or nullptr if it has none.
QMenu* SystemMenu(const QWidget* dialog);
// The base units the dialog was laid out with.
BaseUnits DialogBaseUnits(const QWidget* dialog);

// The images behind an icon handle, largest first.
QIcon IconOf(HICON icon);

}  // namespace qtbackend
