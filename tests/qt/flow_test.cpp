// The program's own objects on the Qt backend, driven through its real windows:
// pickers answered by typing, dialogs by keys, clicks and the system menu.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListView>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/convert.h"
#include "res/resource.h"
#include "temp_dir.h"
#include "user.h"
#include "xa_files.h"

namespace {

constexpr char kModule[] = "/usr/bin/korvane";
constexpr char kAppName[] = "korvane";
constexpr int kInputLabel = 4;  // "Input:", in the main dialog's template

using Strings = std::vector<std::string>;

class QtFlow : public testing::Test {
protected:
    void SetUp() override {
        AfxGetApp()->m_strAppName.clear();  // named anew by each start, as a fresh process would be
        m_previousDir = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());  // where the pickers start
        WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
    }
    void TearDown() override { std::filesystem::current_path(m_previousDir); }

    void Run() {
        user.Play([] { AfxWinMain(kModule); });
    }

    // Both pickers answered with the given names.
    void ChooseFiles(const std::string& open, const std::string& save) {
        user.Then("open picker", OpenPicker(), Choose(open))
            .Then("save picker", SavePicker(), Choose(save));
    }

    TempDir dir;
    std::string input = dir / "in.xa";
    std::string output = dir / "out.wav";
    User user;
    std::vector<ShownBox> boxes;

private:
    std::filesystem::path m_previousDir;
};

std::string FieldText(QWidget* dialog, int templateIndex) {
    auto* field = qobject_cast<QLineEdit*>(qtbackend::TemplateControl(dialog, templateIndex));
    return field ? field->text().toStdString() : "(no field)";
}

constexpr int kInputField = 2, kOutputField = 3;  // template order of the main dialog

QPushButton* Button(QWidget* dialog, int templateIndex) {
    return qobject_cast<QPushButton*>(qtbackend::TemplateControl(dialog, templateIndex));
}

// A right-click where the window system would send it: on a control, which
// passes it on to the dialog when it has no menu of its own.
User::Act RightClickOn(int templateIndex) {
    return [templateIndex](QWidget* dialog) {
        QWidget* control = qtbackend::TemplateControl(dialog, templateIndex);
        ASSERT_NE(control, nullptr);
        const QPoint at(2, 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &event);
    };
}

User::Act PressButton(int templateIndex) {
    return [templateIndex](QWidget* dialog) {
        QPushButton* button = Button(dialog, templateIndex);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    };
}

void TypeAndPressEnter(QWidget* picker, const std::string& text) {
    QLineEdit* field = FileNameField(picker);
    field->selectAll();
    QTest::keyClicks(field, QString::fromStdString(text));
    if (QWidget* popup = QApplication::activePopupWidget()) popup->hide();
    QTest::keyClick(field, Qt::Key_Return);
}

Strings FileTypes(QWidget* picker) {
    Strings types;
    if (auto* combo = picker->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < combo->count(); ++i) types.push_back(combo->itemText(i).toStdString());
    return types;
}

// The names the picker's list shows, once its folder has been read.
Strings ListedNames(QWidget* picker, const Strings& expected) {
    auto* list = picker->findChild<QListView*>(QStringLiteral("listView"));
    if (!list) return {"(no list)"};
    const auto names = [list] {
        Strings shown;
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row)
            shown.push_back(list->model()->index(row, 0, root).data().toString().toStdString());
        std::sort(shown.begin(), shown.end());
        return shown;
    };
    (void)QTest::qWaitFor([&] { return names() == expected; }, 5000);
    return names();
}

}  // namespace

TEST_F(QtFlow, CancelledOpenPickerEndsTheProgramBeforeTheDialogShows) {
    user.Then("open picker", OpenPicker(), CancelPicker());
    Run();
    EXPECT_EQ(user.Shown(), Strings{"QFileDialog: Open"});
}

TEST_F(QtFlow, CancelledSavePickerEndsTheProgramBeforeTheDialogShows) {
    user.Then("open picker", OpenPicker(), Choose(input))
        .Then("save picker", SavePicker(), CancelPicker());
    Run();
    EXPECT_EQ(user.Shown(), (Strings{"QFileDialog: Open", "QFileDialog: Save As"}));
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(QtFlow, DecodeConvertsReportsAndEnds) {
    QWidget* mainDialog = nullptr;
    ChooseFiles(input, output);
    user.Then("main dialog", Dialog(IDD_KORVANE_DIALOG),
              [&](QWidget* dialog) {
                  mainDialog = dialog;
                  EXPECT_EQ(FieldText(dialog, kInputField), input);
                  EXPECT_EQ(FieldText(dialog, kOutputField), output);
                  const QList<QSize> sizes = dialog->windowIcon().availableSizes();
                  EXPECT_TRUE(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)));
                  Key(Qt::Key_Return)(dialog);  // on "Decode", which has the focus
              })
        .Then("report", MessageBoxInFront(), ReadAndClose(boxes));
    Run();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSuccessMessage);
    EXPECT_EQ(boxes[0].title, kAppName);
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(boxes[0].parent, mainDialog);
    EXPECT_EQ(user.Shown(), (Strings{"QFileDialog: Open", "QFileDialog: Save As",
                                     "QDialog: Korvane", "QMessageBox: korvane"}));
    EXPECT_EQ(ReadFileBytes(output), WavFile(WaveFormat(1), 4, {0x01, 0x00, 0xFF, 0xFF}));
}

TEST_F(QtFlow, DiskFullIsReportedAndTheDialogStaysOpen) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const std::string full = dir / "full.wav";
    std::filesystem::create_symlink("/dev/full", full);
    ChooseFiles(input, full);
    user.Then("replace question", MessageBoxInFront(),
              [](QWidget* widget) {
                  auto* box = static_cast<QMessageBox*>(widget);
                  EXPECT_TRUE(box->text().contains(QStringLiteral("already exists")))
                      << box->text().toStdString();
                  box->button(QMessageBox::Yes)->click();
              })
        .Then("main dialog", Dialog(IDD_KORVANE_DIALOG), PressButton(0))
        .Then("error", MessageBoxInFront(), ReadAndClose(boxes))
        .Then("main dialog, still open", Dialog(IDD_KORVANE_DIALOG), PressButton(1));
    Run();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Disk full while accessing " + full + ".");
    EXPECT_EQ(boxes[0].title, kAppName);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
}

TEST_F(QtFlow, AboutBoxFromTheMenuAnyNumberOfTimes) {
    QWidget* mainDialog = nullptr;
    ChooseFiles(input, output);
    user.Then("main dialog", Dialog(IDD_KORVANE_DIALOG),
              [&](QWidget* dialog) {
                  mainDialog = dialog;
                  RightClickOn(kInputLabel)(dialog);
              })
        .Then("menu by right-click", PopUpMenu(),
              [](QWidget* widget) {
                  auto* menu = static_cast<QMenu*>(widget);
                  const QList<QAction*> items = menu->actions();
                  ASSERT_EQ(items.size(), 2);
                  EXPECT_TRUE(items[0]->isSeparator());
                  EXPECT_EQ(items[1]->text(), "&About Korvane...");
                  EXPECT_EQ(items[1]->data().toUInt(), static_cast<uint>(IDM_ABOUTBOX));
                  QTest::keyClick(menu, Qt::Key_A);  // the item's mnemonic
              })
        .Then("first About box", Dialog(IDD_ABOUTBOX),
              [&](QWidget* about) {
                  EXPECT_EQ(about->windowTitle(), "About Korvane");
                  EXPECT_EQ(about->parentWidget(), mainDialog);
                  Key(Qt::Key_Return)(about);
              })
        .Then("main dialog again", Dialog(IDD_KORVANE_DIALOG), Key(Qt::Key_Space, Qt::AltModifier))
        .Then("menu by Alt+Space", PopUpMenu(),
              [](QWidget* menu) {
                  QTest::keyClick(menu, Qt::Key_Down);
                  QTest::keyClick(menu, Qt::Key_Return);
              })
        .Then("second About box", Dialog(IDD_ABOUTBOX), Key(Qt::Key_Escape))
        .Then("main dialog, closed by its close box", Dialog(IDD_KORVANE_DIALOG),
              [](QWidget* dialog) { dialog->close(); });
    Run();
    EXPECT_EQ(std::count(user.Shown().begin(), user.Shown().end(), "QDialog: About Korvane"), 2);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(QtFlow, F1InEitherDialogSaysHelpCannotStart) {
    QWidget* mainDialog = nullptr;
    QWidget* aboutBox = nullptr;
    ChooseFiles(input, output);
    user.Then("main dialog", Dialog(IDD_KORVANE_DIALOG),
              [&](QWidget* dialog) {
                  mainDialog = dialog;
                  Key(Qt::Key_F1)(dialog);
              })
        .Then("help failed, over the main dialog", MessageBoxInFront(), ReadAndClose(boxes))
        .Then("main dialog again", Dialog(IDD_KORVANE_DIALOG), Key(Qt::Key_Space, Qt::AltModifier))
        .Then("menu", PopUpMenu(), Key(Qt::Key_A))
        .Then("About box", Dialog(IDD_ABOUTBOX),
              [&](QWidget* about) {
                  aboutBox = about;
                  Key(Qt::Key_F1)(about);
              })
        .Then("help failed, over the About box", MessageBoxInFront(), ReadAndClose(boxes))
        .Then("About box again", Dialog(IDD_ABOUTBOX), Key(Qt::Key_Escape))
        .Then("main dialog, shift+F1 is not help", Dialog(IDD_KORVANE_DIALOG), [](QWidget* dialog) {
            Key(Qt::Key_F1, Qt::ShiftModifier)(dialog);
            Key(Qt::Key_Escape)(dialog);
        });
    Run();
    ASSERT_EQ(boxes.size(), 2u);
    for (const ShownBox& box : boxes) {
        EXPECT_EQ(box.text, "Failed to launch help.");
        EXPECT_EQ(box.title, kAppName);
        EXPECT_EQ(box.icon, QMessageBox::Warning);
    }
    EXPECT_EQ(boxes[0].parent, mainDialog);
    EXPECT_EQ(boxes[1].parent, aboutBox);
}

TEST_F(QtFlow, PickersAskForAnXaFileAndAWavNameInTheCurrentFolder) {
    for (const char* name : {"music.xa", "LOUD.XA", "Mixed.Xa", "notes.txt"})
        WriteFileBytes(dir / name, XaFile(WaveFormat(1), {}));
    const QString here = QString::fromStdString(dir.Path().string());
    user.Then("open picker", OpenPicker(),
              [&](QWidget* widget) {
                  auto* picker = static_cast<QFileDialog*>(widget);
                  EXPECT_EQ(picker->windowTitle(), "Open");
                  EXPECT_EQ(FileNameField(picker)->text(), "*.XA");
                  EXPECT_EQ(FileTypes(picker), Strings{"XA files (*.XA)"});
                  EXPECT_EQ(picker->directory().absolutePath(), here);
                  EXPECT_EQ(picker->fileMode(), QFileDialog::ExistingFile);
                  // Owned by the main dialog, which is not shown yet.
                  QWidget* owner = qtbackend::DialogWidget(*AfxModalDialogs().back());
                  EXPECT_EQ(picker->parentWidget(), owner);
                  EXPECT_FALSE(owner->isVisible());
                  const Strings xaFiles{"LOUD.XA", "Mixed.Xa", "in.xa", "music.xa"};
                  EXPECT_EQ(ListedNames(picker, xaFiles), xaFiles);
                  // A pattern typed as the name filters the list and chooses nothing.
                  TypeAndPressEnter(picker, "*.TXT");
                  EXPECT_EQ(ListedNames(picker, {"notes.txt"}), Strings{"notes.txt"});
                  EXPECT_TRUE(picker->isVisible());
                  TypeAndPressEnter(picker, "*.xa");
                  EXPECT_EQ(ListedNames(picker, xaFiles), xaFiles);
                  Choose("music.xa")(picker);  // a name in the folder shown
              })
        .Then("save picker", SavePicker(),
              [&](QWidget* widget) {
                  auto* picker = static_cast<QFileDialog*>(widget);
                  EXPECT_EQ(picker->windowTitle(), "Save As");
                  EXPECT_EQ(FileNameField(picker)->text(), "*.WAV");
                  EXPECT_EQ(FileTypes(picker), Strings{"WAV files (*.WAV)"});
                  EXPECT_FALSE(picker->testOption(QFileDialog::DontConfirmOverwrite));
                  AcceptButton(picker)->click();  // with "*.WAV": a pattern, not a name
                  EXPECT_TRUE(picker->isVisible());
                  Choose("nowhere/out.wav")(picker);
              })
        .Then("missing folder", MessageBoxInFront(), ReadAndClose(boxes))
        .Then("save picker, still open", SavePicker(), Choose("plain"))
        .Then("main dialog", Dialog(IDD_KORVANE_DIALOG), [&](QWidget* dialog) {
            EXPECT_EQ(FieldText(dialog, kInputField), dir / "music.xa");
            EXPECT_EQ(FieldText(dialog, kOutputField), dir / "plain") << "no extension added";
            Key(Qt::Key_Escape)(dialog);
        });
    Run();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(dir / "nowhere"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(std::filesystem::exists(dir / "plain"));
}
