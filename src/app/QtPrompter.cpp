#include "QtPrompter.h"

#include "Settings.h"
#include "Strings.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace
{
QWidget *dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// Where a file dialog starts: the folder the user took a file from or saved one into last,
// the documents folder the first time (and when that folder is gone).
QString startFolder()
{
    if (!Settings.LastFolder.isEmpty() && QFileInfo(Settings.LastFolder).isDir())
        return Settings.LastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// The chosen path, its folder remembered for the next dialog; empty when the user cancelled.
QString chosenPath(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    Settings.LastFolder = QFileInfo(path).absolutePath();
    return path;
}

QString defaultSuffix(const QString &defaultPattern)
{
    const int dot = defaultPattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    const QString suffix = defaultPattern.mid(dot + 1);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}
} // namespace

QStringList QtPrompter::qtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the label's parentheses; keep the label the user reads.
        if (!label.contains(QLatin1Char('(')))
            label += QStringLiteral(" (") + patterns + QLatin1Char(')');
        else if (!label.contains(patterns))
            label = label.left(label.indexOf(QLatin1Char('('))).trimmed() + QStringLiteral(" (") +
                    patterns + QLatin1Char(')');
        out.append(label);
    }
    return out;
}

Prompter::Answer QtPrompter::message(const QString &text, Buttons buttons, Icon icon)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(loadString(6001));
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (icon) {
    case Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case NoIcon:
        break;
    }
    switch (buttons) {
    case Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return AnswerOk;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Retry:
        return AnswerRetry;
    default:
        return buttons == Ok ? AnswerOk : AnswerCancel;
    }
}

QString QtPrompter::openFileName(const QString &title, const QString &filter,
                                 const QString &defaultPattern)
{
    QFileDialog dialog(dialogParent(), title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix(defaultPattern));
    dialog.setDirectory(startFolder());
    return chosenPath(dialog);
}

QString QtPrompter::saveFileName(const QString &title, const QString &filter,
                                 const QString &defaultPattern, const QString &proposedPath)
{
    QFileDialog dialog(dialogParent(), title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(qtFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix(defaultPattern));
    // A file that was loaded or saved before is proposed where it lies, a new one in the
    // folder used last.
    const QFileInfo proposed(proposedPath);
    dialog.setDirectory(proposed.isAbsolute() && proposed.dir().exists() ? proposed.absolutePath()
                                                                         : startFolder());
    if (!proposedPath.isEmpty())
        dialog.selectFile(proposed.fileName());
    return chosenPath(dialog);
}

bool QtPrompter::chooseColor(quint32 &rgb)
{
    const QColor picked = QColorDialog::getColor(QColor::fromRgb(QRgb(rgb)), dialogParent());
    if (!picked.isValid())
        return false;
    rgb = picked.rgb() & 0xffffff;
    return true;
}

bool QtPrompter::printSetup(QPrinter &printer, bool pageSetupOnly)
{
    if (pageSetupOnly) {
        QPageSetupDialog dialog(&printer, dialogParent());
        return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, dialogParent());
    // A listing always prints whole: no page range, selection or current page.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted;
}
