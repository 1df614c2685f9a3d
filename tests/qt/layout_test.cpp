// The dialogs as the Qt backend builds them from the resource table: sizes in
// dialog units, controls, focus and keys, and the program's icon.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLabel>
#include <set>
#include <string>

#include "platform/resource_table.h"
#include "res/resource.h"
#include "user.h"

using qtbackend::BaseUnits;
using qtbackend::MulDiv;

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    const struct {
        int number, numerator, denominator, expected;
    } cases[] = {
        {73, 7, 4, 128}, {50, 7, 4, 88}, {39, 13, 8, 63},     {14, 13, 8, 23},
        {1, 1, 2, 1},    {-1, 1, 2, -1}, {3, 1, -2, -2},      {-73, 7, 4, -128},
        {0, 7, 4, 0},    {5, 1, 0, -1},  {1 << 30, 8, 1, -1},  // does not fit
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

TEST(DialogUnits, HorizontalBaseUnitRoundsTheAverageLetterWidth) {
    // 52 letters: half of (width / 26 + 1), in whole pixels.
    const struct {
        int alphabetWidth, expected;
    } cases[] = {{311, 6}, {337, 6}, {338, 7}, {353, 7}, {285, 5}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(qtbackend::HorizontalBaseUnit(c.alphabetWidth), c.expected) << c.alphabetWidth;
}

TEST(DialogUnits, DialogFontIsSizedInWholePixelsAtTheScreensDpi) {
    const DialogTemplate& main = *FindDialogTemplate(IDD_KORVANE_DIALOG);
    const struct {
        qreal dpi;
        int pixels;
    } cases[] = {{96, 11}, {120, 13}, {144, 16}, {72, 8}};
    for (const auto& c : cases) {
        const QFont font = qtbackend::DialogFont(main, c.dpi);
        EXPECT_EQ(font.pixelSize(), c.pixels) << c.dpi << " dpi";
        EXPECT_FALSE(font.bold());
        EXPECT_FALSE(font.italic());
    }
    DialogTemplate bold = main;
    bold.weight = 700;
    bold.italic = true;
    EXPECT_TRUE(qtbackend::DialogFont(bold, 96).bold());
    EXPECT_TRUE(qtbackend::DialogFont(bold, 96).italic());
}

namespace {

// Runs a bare dialog of template `id` (no handlers of the program's own) while
// `act` looks at it and ends it; returns DoModal's result.
INT_PTR RunBare(UINT id, const User::Act& act) {
    User user;
    user.Then("dialog " + std::to_string(id), Dialog(id), act);
    CDialog dialog(id);
    INT_PTR result = 0;
    user.Play([&] { result = dialog.DoModal(); });
    return result;
}

BaseUnits MeasuredIndependently(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect Pixels(int x, int y, int cx, int cy, BaseUnits base) {
    return {MulDiv(x, base.x, 4), MulDiv(y, base.y, 8), MulDiv(cx, base.x, 4),
            MulDiv(cy, base.y, 8)};
}

void ExpectControlMatches(const ControlTemplate& control, QWidget* widget, BaseUnits base) {
    ASSERT_NE(widget, nullptr);
    const std::string statement = control.statement;
    const QRect rect = Pixels(control.x, control.y, control.cx, control.cy, base);
    if (statement == "ICON") {
        auto* label = qobject_cast<QLabel*>(widget);
        ASSERT_NE(label, nullptr);
        // An icon control keeps the icon's size.
        EXPECT_EQ(label->geometry(), QRect(rect.topLeft(), QSize(32, 32)));
        EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
        return;
    }
    EXPECT_EQ(widget->geometry(), rect);
    EXPECT_EQ(widget->isVisible(), true);
    if (statement == "DEFPUSHBUTTON" || statement == "PUSHBUTTON") {
        auto* button = qobject_cast<QPushButton*>(widget);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), control.text);
        EXPECT_EQ(button->isDefault(), statement == "DEFPUSHBUTTON");
        EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus);
    } else if (statement == "EDITTEXT") {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->isReadOnly(), (control.style & 0x0800u) != 0);  // ES_READONLY
        EXPECT_EQ(edit->focusPolicy(), Qt::StrongFocus);
    } else if (statement == "LTEXT") {
        auto* label = qobject_cast<QLabel*>(widget);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), control.text) << "no mnemonics in these texts";
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    } else {
        ADD_FAILURE() << "a statement this test does not know: " << statement;
    }
}

}  // namespace

TEST(TemplateDialogs, EveryControlOfEveryTemplateIsBuiltInDialogUnits) {
    for (const DialogTemplate& dialogTemplate : DialogTemplates()) {
        SCOPED_TRACE(dialogTemplate.caption);
        RunBare(static_cast<UINT>(dialogTemplate.id), [&](QWidget* dialog) {
            const BaseUnits base = MeasuredIndependently(dialog->font());
            EXPECT_EQ(qtbackend::DialogBaseUnits(dialog), base);
            EXPECT_GT(base.x, 0);
            EXPECT_GT(base.y, 0);
            EXPECT_EQ(dialog->windowTitle(), dialogTemplate.caption);
            const QSize client = Pixels(0, 0, dialogTemplate.cx, dialogTemplate.cy, base).size();
            EXPECT_EQ(dialog->size(), client);
            EXPECT_EQ(dialog->minimumSize(), client) << "a fixed size";
            EXPECT_EQ(dialog->maximumSize(), client) << "a fixed size";
            for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "control " << i);
                ExpectControlMatches(dialogTemplate.controls[i],
                                     qtbackend::TemplateControl(dialog, static_cast<int>(i)), base);
            }
            EXPECT_EQ(qtbackend::TemplateControl(dialog,
                                                 static_cast<int>(dialogTemplate.controls.size())),
                      nullptr);
            Key(Qt::Key_Escape)(dialog);
        });
    }
}

TEST(TemplateDialogs, DecodeButtonSitsWhereTheResourceScriptPutsIt) {
    RunBare(IDD_KORVANE_DIALOG, [](QWidget* dialog) {
        // DEFPUSHBUTTON "Decode", IDOK, 73, 39, 50, 14
        QWidget* decode = qtbackend::TemplateControl(dialog, 0);
        ASSERT_NE(decode, nullptr);
        const BaseUnits base = MeasuredIndependently(dialog->font());
        EXPECT_EQ(decode->geometry(), QRect(MulDiv(73, base.x, 4), MulDiv(39, base.y, 8),
                                            MulDiv(50, base.x, 4), MulDiv(14, base.y, 8)));
        EXPECT_EQ(static_cast<QPushButton*>(decode)->text(), "Decode");
        // Whatever the substitute font, the texts fit their controls.
        for (int i = 0; QWidget* control = qtbackend::TemplateControl(dialog, i); ++i) {
            if (auto* label = qobject_cast<QLabel*>(control)) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                    << label->text().toStdString();
            }
        }
        Key(Qt::Key_Escape)(dialog);
    });
}

TEST(TemplateDialogs, TabStopsFollowTheTemplateFromDecode) {
    RunBare(IDD_KORVANE_DIALOG, [](QWidget* dialog) {
        const auto focusIndex = [dialog] {
            for (int i = 0; QWidget* control = qtbackend::TemplateControl(dialog, i); ++i)
                if (control == QApplication::focusWidget()) return i;
            return -1;
        };
        EXPECT_EQ(focusIndex(), 0) << "Decode first";
        // Decode, Cancel, the two fields, and round again; the labels are skipped.
        for (int expected : {1, 2, 3, 0}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(focusIndex(), expected);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        EXPECT_EQ(focusIndex(), 3);
        Key(Qt::Key_Escape)(dialog);
    });
}

TEST(TemplateDialogs, KeysButtonsAndTheCloseBoxEndADialog) {
    enum class How { Return, Space, Escape, CloseBox, Click };
    const struct {
        const char* what;
        UINT dialog;
        int focus;  // template index of the control with the focus, -1 to leave it
        How how;
        INT_PTR result;
    } cases[] = {
        {"Enter on Decode", IDD_KORVANE_DIALOG, -1, How::Return, IDOK},
        {"Enter on Cancel presses Cancel", IDD_KORVANE_DIALOG, 1, How::Return, IDCANCEL},
        {"Enter in a field presses the default button", IDD_KORVANE_DIALOG, 3, How::Return, IDOK},
        {"Space on Cancel", IDD_KORVANE_DIALOG, 1, How::Space, IDCANCEL},
        {"Escape", IDD_KORVANE_DIALOG, 2, How::Escape, IDCANCEL},
        {"close box", IDD_KORVANE_DIALOG, -1, How::CloseBox, IDCANCEL},
        {"click on Cancel", IDD_KORVANE_DIALOG, -1, How::Click, IDCANCEL},
        {"Enter on OK", IDD_ABOUTBOX, -1, How::Return, IDOK},
        {"About box's Escape", IDD_ABOUTBOX, -1, How::Escape, IDCANCEL},
        {"About box's close box", IDD_ABOUTBOX, -1, How::CloseBox, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const INT_PTR result = RunBare(c.dialog, [&](QWidget* dialog) {
            if (c.focus >= 0) qtbackend::TemplateControl(dialog, c.focus)->setFocus();
            switch (c.how) {
                case How::Return:
                    Key(Qt::Key_Return)(dialog);
                    break;
                case How::Space:
                    Key(Qt::Key_Space)(dialog);
                    break;
                case How::Escape:
                    Key(Qt::Key_Escape)(dialog);
                    break;
                case How::CloseBox:
                    dialog->close();
                    break;
                case How::Click:
                    QTest::mouseClick(qtbackend::TemplateControl(dialog, 1), Qt::LeftButton);
                    break;
            }
        });
        EXPECT_EQ(result, c.result);
    }
}

TEST(TemplateDialogs, ASystemMenuWithoutItemsIsNotOffered) {
    // A bare dialog adds nothing to its system menu, as the main dialog does
    // when the About string is empty.
    RunBare(IDD_KORVANE_DIALOG, [](QWidget* dialog) {
        ASSERT_NE(qtbackend::SystemMenu(dialog), nullptr);
        EXPECT_TRUE(qtbackend::SystemMenu(dialog)->actions().isEmpty());
        const QPoint at(5, 5);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, dialog->mapToGlobal(at));
        QApplication::sendEvent(dialog, &rightClick);
        Key(Qt::Key_Space, Qt::AltModifier)(dialog);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        Key(Qt::Key_Escape)(dialog);
    });
}

TEST(TemplateDialogs, NoTemplateNoDialog) {
    CDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Icons, TheProgramIconHasBothSizesAndTheRicherPicture) {
    const HICON icon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(AfxGetApp()->LoadIcon(IDR_MAINFRAME), icon) << "loaded once";
    const QIcon qicon = qtbackend::IconOf(icon);
    EXPECT_EQ(qicon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16)}));
    // The file holds a 16-colour and a 256-colour picture at 32x32: the latter wins.
    const QImage large = qicon.pixmap(32, 32).toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < large.height(); ++y)
        for (int x = 0; x < large.width(); ++x) colours.insert(large.pixel(x, y));
    EXPECT_GT(colours.size(), 17u);
    EXPECT_EQ(AfxGetApp()->LoadIcon(4242), nullptr);
}
