// Dialog units: the resource script places controls in units of the dialog
// font, so the same template fits whatever font the dialog ends up with.
#include <QApplication>
#include <QFontMetrics>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/qt/qt_backend.h"

namespace qtbackend {

namespace {

constexpr std::uint32_t kDsSetFont = 0x40;

}  // namespace

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const long long product = static_cast<long long>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const long long divisor = std::llabs(denominator);
    const long long quotient = (std::llabs(product) + divisor / 2) / divisor;
    if (quotient > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(negative ? -quotient : quotient);
}

int HorizontalBaseUnit(int alphabetWidth) {
    return (alphabetWidth / 26 + 1) / 2;
}

BaseUnits MeasureBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {HorizontalBaseUnit(alphabet), metrics.height()};
}

QFont DialogFont(const DialogTemplate& dialogTemplate, qreal dotsPerInch) {
    if (!(dialogTemplate.style & kDsSetFont)) return QApplication::font();
    // The script's typeface is rarely installed outside its home system; the
    // style hint lets the font matcher pick a sans-serif face in its place.
    QFont font(QString::fromUtf8(dialogTemplate.typeface));
    font.setStyleHint(QFont::SansSerif);
    // A whole number of pixels, as the system sizes the font: point sizes at
    // 96 dpi fall between pixels and would make the base units drift.
    font.setPixelSize(std::max(1, MulDiv(dialogTemplate.pointSize, qRound(dotsPerInch), 72)));
    if (dialogTemplate.weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(dialogTemplate.weight, 1, 1000)));
    font.setItalic(dialogTemplate.italic);
    return font;
}

QRect DialogUnitsToPixels(const QRect& units, BaseUnits base) {
    return {MulDiv(units.x(), base.x, 4), MulDiv(units.y(), base.y, 8),
            MulDiv(units.width(), base.x, 4), MulDiv(units.height(), base.y, 8)};
}

}  // namespace qtbackend
