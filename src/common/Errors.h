#pragma once

#include <QString>
#include <cstring>
#include <exception>
#include <string>

namespace rk {

// An error that ends the operation in progress; the application shows its message in the
// general error box.
class Error : public std::exception {
public:
    explicit Error(QString message) : message_(std::move(message)), what_(message_.toStdString()) {}
    [[nodiscard]] const QString& message() const { return message_; }
    [[nodiscard]] const char* what() const noexcept override { return what_.c_str(); }

private:
    QString message_;
    std::string what_;
};

// The system's words for an error number ("Permission denied"), the same in every locale: a
// report's reader is told what went wrong, not a number to look up.
[[nodiscard]] inline QString errorWords(int errorNumber) {
    if (const char* words = ::strerrordesc_np(errorNumber)) return QString::fromLatin1(words);
    return QStringLiteral("Unknown error %1").arg(errorNumber);
}

// A system error during a walk or a file operation: "I/O error N".
class IoError : public Error {
public:
    explicit IoError(int errorNumber)
        : Error(QStringLiteral("I/O error %1").arg(errorNumber)), errorNumber_(errorNumber) {}
    [[nodiscard]] int errorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

}  // namespace rk
