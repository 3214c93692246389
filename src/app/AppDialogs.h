#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMimeData;
class QWidget;

namespace kalido {

// The dialogs the pages open. Each member has a default that opens the real dialog; tests put
// their own answers in. An empty string means the user cancelled.
struct TAppDialogs
{
    // A folder-browse dialog titled Title starting at Start (when it exists).
    std::function<QString(QWidget *parent, const QString &title, const QString &start)> BrowseFolder;
    // A save-file dialog; Filter is in Qt's form ("Name (*.ext);;...").
    std::function<QString(QWidget *parent, const QString &title, const QString &filter)> SaveFile;
    // An open-file dialog for an existing file.
    std::function<QString(QWidget *parent, const QString &title, const QString &filter)> OpenFile;
    // A message box with one OK button; Warning picks the icon.
    std::function<void(QWidget *parent, const QString &text, bool warning)> Message;
};

// The process-wide dialogs; members left empty fall back to the real dialogs.
TAppDialogs &AppDialogs();
// Restores the real dialogs.
void ResetAppDialogs();

QString BrowseFolder(QWidget *parent, const QString &title, const QString &start);
QString SaveFileName(QWidget *parent, const QString &title, const QString &filter);
QString OpenFileName(QWidget *parent, const QString &title, const QString &filter);
void ShowMessage(QWidget *parent, const QString &text, bool warning = false);

// The file dialogs' filter for project files.
QString ProjectFilter();

// The file-system paths of a drop, in drop order: one entry per URL, empty for an item that is
// not a local file. Bytes of names that are not valid UTF-8 survive the trip.
QStringList DroppedPaths(const QMimeData &data);

} // namespace kalido
