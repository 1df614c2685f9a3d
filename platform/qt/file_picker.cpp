// The file pickers: Qt's own file dialog, set up from the picker's flags,
// initial name and filters.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMessageBox>

#include "platform/qt/template_dialog.h"

namespace {

class Picker : public QFileDialog {
public:
    Picker(QWidget* parent, bool pathMustExist)
        : QFileDialog(parent), m_pathMustExist(pathMustExist) {}

    void accept() override {
        if (ShowPatternTyped()) return;
        // Qt's dialog takes a name in a folder that is not there; the picker
        // asked for refuses it and stays open.
        const QStringList chosen = selectedFiles();
        if (m_pathMustExist && !chosen.isEmpty()) {
            const QFileInfo file(chosen.first());
            if (!file.isDir() && !QFileInfo(file.absolutePath()).isDir()) {
                QMessageBox::warning(this, windowTitle(),
                                     tr("%1\nThis folder does not exist.\n"
                                        "Check the folder name and try again.")
                                         .arg(QDir::toNativeSeparators(file.absolutePath())));
                return;
            }
        }
        QFileDialog::accept();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        // Enter reaches here past the name field; the open picker's button is
        // disabled while the field holds a pattern, so the key must act itself.
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && ShowPatternTyped())
            return;
        QFileDialog::keyPressEvent(event);
    }

private:
    // A name with '*' or '?' (the initial "*.XA" among them) is a pattern: the
    // list shows the files it matches and the picker stays open, instead of a
    // file of that name being chosen.
    bool ShowPatternTyped() {
        const QStringList chosen = selectedFiles();
        if (chosen.isEmpty()) return false;
        const QFileInfo typed(chosen.first());
        const QString pattern = typed.fileName();
        if (!pattern.contains(u'*') && !pattern.contains(u'?')) return false;
        if (QFileInfo(typed.absolutePath()).isDir()) setDirectory(typed.absolutePath());
        if (auto* model = findChild<QFileSystemModel*>()) model->setNameFilters({pattern});
        return true;
    }

    bool m_pathMustExist;
};

// Qt takes a filter's patterns from the parentheses that end its text.
QString NameFilter(const CFileDialog::Filter& filter) {
    QStringList patterns;
    for (const QString& pattern :
         QString::fromUtf8(filter.pattern).split(u';', Qt::SkipEmptyParts)) {
        // "*.*" means every file where the filters come from; here it would
        // leave out names without a dot.
        patterns << (pattern.trimmed() == u"*.*" ? QStringLiteral("*") : pattern.trimmed());
    }
    return QString::fromUtf8(filter.name) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

}  // namespace

INT_PTR CFileDialog::DoModal() {
    Picker picker(qtbackend::OwnerWidget(m_pParentWnd), m_dwFlags & OFN_PATHMUSTEXIST);
    // Qt's own dialog, not the desktop's: the same on every desktop, and one
    // whose widgets the tests can reach.
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    picker.setFileMode(m_bOpenFileDialog && (m_dwFlags & OFN_FILEMUSTEXIST)
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    picker.setOption(QFileDialog::DontConfirmOverwrite,
                     m_bOpenFileDialog || !(m_dwFlags & OFN_OVERWRITEPROMPT));

    QStringList nameFilters;
    for (const Filter& filter : GetFilters()) nameFilters << NameFilter(filter);
    if (!nameFilters.isEmpty()) {
        // The list shows each filter's name as given; its patterns stay out of sight.
        picker.setOption(QFileDialog::HideNameFilterDetails);
        picker.setNameFilters(nameFilters);
    }
    // The filters were written for a system that ignores case in names: "*.XA"
    // has to show music.xa too.
    picker.setFilter(picker.filter() & ~QDir::CaseSensitive);
    picker.setDefaultSuffix(QString::fromUtf8(m_strDefExt));

    picker.setDirectory(QDir::currentPath());
    if (!m_strInitialName.empty()) picker.selectFile(QString::fromUtf8(m_strInitialName));

    const int answer = picker.exec();
    qtbackend::Reactivate(picker.parentWidget());
    if (answer != QDialog::Accepted || picker.selectedFiles().isEmpty()) return IDCANCEL;
    m_strPathName = QFile::encodeName(picker.selectedFiles().first()).toStdString();
    return IDOK;
}
