#pragma once

// A user at the Qt backend's windows. Each step waits until the window it is
// for is in front, then acts on it from a zero-delay timer: whatever the action
// opens runs its own modal loop there, while the waiting goes on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/afxwin.h"
#include "platform/qt/qt_backend.h"

class User : public QObject {
public:
    using Find = std::function<QWidget*()>;
    using Act = std::function<void(QWidget*)>;

    User() {
        m_poll.setInterval(5);
        connect(&m_poll, &QTimer::timeout, this, [this] { Poll(); });
        qApp->installEventFilter(this);
    }
    ~User() override { qApp->removeEventFilter(this); }

    User& Then(std::string what, Find find, Act act) {
        m_steps.push_back({std::move(what), std::move(find), std::move(act)});
        return *this;
    }

    // Runs `program`, which opens the modal windows, while the steps are played.
    // A step that waits in vain fails the test, and every window is closed so
    // that the program ends.
    void Play(const std::function<void()>& program) {
        m_clock.start();
        m_poll.start();
        program();
        m_poll.stop();
        for (const Step& step : m_steps) ADD_FAILURE() << "never came to: " << step.what;
        m_steps.clear();
    }

    // The windows shown so far, as "class: title".
    const std::vector<std::string>& Shown() const { return m_shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget && widget->isWindow() &&
            !qobject_cast<QMenu*>(widget) && widget->windowType() != Qt::Popup)
            m_shown.push_back(std::string(widget->metaObject()->className()) + ": " +
                              widget->windowTitle().toStdString());
        return false;
    }

private:
    struct Step {
        std::string what;
        Find find;
        Act act;
    };

    void Poll() {
        if (m_giveUp) {
            // Close whatever is in front until the program has ended.
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            else if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                modal->reject();
            return;
        }
        if (m_busy) return;
        QWidget* front = m_steps.empty() ? nullptr : m_steps.front().find();
        if (!front) {
            if (m_clock.elapsed() > kPatienceMs) {
                ADD_FAILURE() << (m_steps.empty() ? "the program did not end"
                                                  : "waited in vain for: " + m_steps.front().what);
                m_giveUp = true;
            }
            return;
        }
        m_busy = true;
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        QTimer::singleShot(0, this, [this, step, target = QPointer<QWidget>(front)] {
            m_busy = false;
            m_clock.restart();
            SCOPED_TRACE("step: " + step.what);
            if (target) step.act(target);
        });
    }

    static constexpr qint64 kPatienceMs = 20000;

    std::deque<Step> m_steps;
    std::vector<std::string> m_shown;
    QTimer m_poll;
    QElapsedTimer m_clock;
    bool m_busy = false;
    bool m_giveUp = false;
};

// What is in front ------------------------------------------------------------

inline User::Find Picker(QFileDialog::AcceptMode mode) {
    return [mode]() -> QWidget* {
        auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        return picker && picker->isVisible() && picker->acceptMode() == mode ? picker : nullptr;
    };
}

inline User::Find OpenPicker() {
    return Picker(QFileDialog::AcceptOpen);
}

inline User::Find SavePicker() {
    return Picker(QFileDialog::AcceptSave);
}

// The innermost running dialog, made from template `id`, once it shows.
inline User::Find Dialog(UINT id) {
    return [id]() -> QWidget* {
        const auto& dialogs = AfxModalDialogs();
        if (dialogs.empty() || dialogs.back()->GetTemplateId() != id) return nullptr;
        QWidget* widget = qtbackend::DialogWidget(*dialogs.back());
        // Keys reach only the active window: wait until the dialog has it back.
        return widget && widget->isVisible() && QApplication::activeModalWidget() == widget &&
                       widget->isActiveWindow()
                   ? widget
                   : nullptr;
    };
}

inline User::Find MessageBoxInFront() {
    return []() -> QWidget* {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box && box->isVisible() ? box : nullptr;
    };
}

inline User::Find PopUpMenu() {
    return []() -> QWidget* {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu && menu->isVisible() ? menu : nullptr;
    };
}

// What the user does ----------------------------------------------------------

inline QLineEdit* FileNameField(QWidget* picker) {
    return picker->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

inline QPushButton* AcceptButton(QWidget* picker) {
    auto* buttons = picker->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    const bool open = static_cast<QFileDialog*>(picker)->acceptMode() == QFileDialog::AcceptOpen;
    return buttons ? buttons->button(open ? QDialogButtonBox::Open : QDialogButtonBox::Save)
                   : nullptr;
}

// Types `name` into the picker's file name field and presses Open or Save.
inline User::Act Choose(const std::string& name) {
    return [name](QWidget* picker) {
        QLineEdit* field = FileNameField(picker);
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClicks(field, QString::fromStdString(name));
        // The name completion may have popped up a list: it is not what the user wants.
        if (QWidget* popup = QApplication::activePopupWidget()) popup->hide();
        QPushButton* accept = AcceptButton(picker);
        ASSERT_NE(accept, nullptr);
        ASSERT_TRUE(accept->isEnabled()) << name;
        accept->click();
    };
}

inline User::Act CancelPicker() {
    return [](QWidget* picker) {
        auto* buttons = picker->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Cancel)->click();
    };
}

struct ShownBox {
    std::string text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
};

// Reads the message box into `seen` and presses its OK button.
inline User::Act ReadAndClose(std::vector<ShownBox>& seen) {
    return [&seen](QWidget* widget) {
        auto* box = static_cast<QMessageBox*>(widget);
        seen.push_back({box->text().toStdString(), box->windowTitle().toStdString(), box->icon(),
                        box->standardButtons(), box->parentWidget()});
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        ASSERT_NE(ok, nullptr);
        ok->click();
    };
}

inline User::Act Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return [key, modifiers](QWidget* window) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == window ? focus : window, key, modifiers);
    };
}
