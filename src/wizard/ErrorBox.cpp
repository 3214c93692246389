#include "wizard/ErrorBox.h"

#include "util/Errors.h"

#include <QApplication>
#include <QMessageBox>

namespace kalido {

namespace {
TErrorHandler &handler()
{
    static TErrorHandler h;
    return h;
}
} // namespace

void SetErrorHandler(TErrorHandler h)
{
    handler() = std::move(h);
}

void ShowErrorMessage(const QString &message)
{
    if (handler()) {
        handler()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(), message);
}

QString ErrorMessage(const std::exception &e)
{
    if (const auto *k = dynamic_cast<const Exception *>(&e))
        return k->message();
    return QString::fromLocal8Bit(e.what());
}

bool RunGuarded(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::exception &e) {
        ShowErrorMessage(ErrorMessage(e));
    }
    return false;
}

} // namespace kalido
