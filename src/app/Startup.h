#pragma once

#include <QApplication>

namespace kalido {

// The application object: an exception that leaves an event handler is shown in a message box
// and the program goes on.
class TKalidoApplication : public QApplication
{
    Q_OBJECT

public:
    TKalidoApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Runs Deliver; an exception it throws is shown in the program's error box. The result is
// Deliver's, or false after an error.
bool DeliverGuarded(const std::function<bool()> &deliver);

// Registers the program's four pages under their page names.
void RegisterKalidoPages();

// The modules' start-up, in order: binding table, translations, page registry, paths, settings
// class, language table, pages; then the player's music. Called before the application object.
void StartModules();
// Their shutdown, in reverse order; the environment object goes if it still exists.
void StopModules();

// The whole program: start-up, the main window, the message loop, shutdown.
int RunKalido(int argc, char **argv);

} // namespace kalido
