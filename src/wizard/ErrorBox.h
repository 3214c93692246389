#pragma once

#include <QString>
#include <exception>
#include <functional>

namespace kalido {

// The program's error message box. Wizard handlers catch what their pages throw and show it
// here, so the program goes on after an error. The handler can be replaced (the application's
// own error box, a recorder in tests); by default it is a modal QMessageBox.
using TErrorHandler = std::function<void(const QString &message)>;
void SetErrorHandler(TErrorHandler handler);
void ShowErrorMessage(const QString &message);
// The message of any exception: kalido::Exception's text, what() otherwise.
QString ErrorMessage(const std::exception &e);

// Runs Action; an exception is shown in the error box and reported as false.
bool RunGuarded(const std::function<void()> &action);

} // namespace kalido
