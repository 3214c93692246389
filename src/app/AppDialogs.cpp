#include "app/AppDialogs.h"

#include "shell/Languages.h"
#include "util/FsName.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

namespace kalido {

TAppDialogs &AppDialogs()
{
    static TAppDialogs dialogs;
    return dialogs;
}

void ResetAppDialogs()
{
    AppDialogs() = TAppDialogs();
}

QString BrowseFolder(QWidget *parent, const QString &title, const QString &start)
{
    if (AppDialogs().BrowseFolder)
        return AppDialogs().BrowseFolder(parent, title, start);
    // Files are shown as well as folders so the user sees what a folder holds.
    QFileDialog dialog(parent, title, QDir(start).exists() ? start : QString());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString SaveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (AppDialogs().SaveFile)
        return AppDialogs().SaveFile(parent, title, filter);
    return QFileDialog::getSaveFileName(parent, title, QString(), filter);
}

QString OpenFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (AppDialogs().OpenFile)
        return AppDialogs().OpenFile(parent, title, filter);
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void ShowMessage(QWidget *parent, const QString &text, bool warning)
{
    if (AppDialogs().Message) {
        AppDialogs().Message(parent, text, warning);
        return;
    }
    const QString title = QApplication::applicationDisplayName();
    if (warning)
        QMessageBox::warning(parent, title, text);
    else
        QMessageBox::information(parent, title, text);
}

QString ProjectFilter()
{
    return Translate(QStringLiteral("Kalido projects (*.kdp)")) + QStringLiteral(";;") +
           Translate(QStringLiteral("Any files (*)"));
}

QStringList DroppedPaths(const QMimeData &data)
{
    QStringList paths;
    for (const QUrl &url : data.urls()) {
        if (!url.isLocalFile()) {
            paths << QString();
            continue;
        }
        // The encoded path holds the name's own bytes; decoding it as UTF-8 would lose those of
        // names that are not valid UTF-8.
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        paths << FsDecode(bytes);
    }
    return paths;
}

} // namespace kalido
