#pragma once

#include <QString>
#include <exception>
#include <string>

namespace kalido {

// Base of every exception Kalido throws: an English message, shown as is by the
// application's error handler.
class Exception : public std::exception
{
public:
    explicit Exception(QString message)
        : message_(std::move(message)), utf8_(message_.toStdString())
    {
    }

    const QString &message() const noexcept { return message_; }
    const char *what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

} // namespace kalido
