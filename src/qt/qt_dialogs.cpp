#include "qt/qt_services.h"
#include "qt/qt_view.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>

namespace orvane {

namespace {

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(Buttons buttons) {
    switch (buttons) {
    case Buttons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::OK:
        break;
    }
    return QMessageBox::Ok;
}

std::optional<std::string> fileDialog(QFileDialog::AcceptMode mode,
                                      const FileDialogRequest& request) {
    QString start = QString::fromStdString(request.initialDir);
    if (!request.fileName.empty())
        start = start.isEmpty() ? QString::fromStdString(request.fileName)
                                : QDir(start).filePath(QString::fromStdString(request.fileName));
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title), start,
                       QtDialogs::qtFilter(request.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    QString suffix = QString::fromStdString(request.defaultExt);
    if (suffix.startsWith('.'))
        suffix.remove(0, 1);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

Answer QtDialogs::messageBox(const std::string& text, Buttons buttons, Icon icon,
                             const std::string& title) {
    QMessageBox box(toQt(icon), QString::fromStdString(title), QString::fromStdString(text),
                    toQt(buttons), QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
    QAbstractButton* pressed = box.clickedButton();
    switch (pressed ? box.standardButton(pressed) : QMessageBox::NoButton) {
    case QMessageBox::Ok:
        return Answer::OK;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return closedAnswer(buttons);
    }
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& request) {
    return fileDialog(QFileDialog::AcceptOpen, request);
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& request) {
    return fileDialog(QFileDialog::AcceptSave, request);
}

void QtDialogs::popupMenu(MenuItem& item) {
    if (!m_view)
        return;
    if (QMenu* menu = m_view->menu(item))
        menu->exec(QCursor::pos());
}

// The filter comes as pairs of description and patterns separated by "|", patterns separated
// by ";". Qt reads the patterns from the parentheses of each description, so those are
// written anew from the patterns; "*.*" means every file, which in Qt is "*".
QString QtDialogs::qtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        description.remove(trailingPatterns);
        QStringList patterns;
        for (QString p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            p = p.trimmed();
            patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty())
            continue;
        entries << description + QStringLiteral(" (") + patterns.join(' ') + ')';
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace orvane
