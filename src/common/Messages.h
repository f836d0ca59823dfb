#pragma once

#include <QString>
#include <exception>

#include "common/Dialogs.h"

namespace rk {

inline const QString applicationTitle = QStringLiteral("Roomkin '95");

// Exclamation beep, then an "Error" box with "OK".
void ShowError(const QString& text);
// Critical-stop beep, then a "Warning" box with "OK".
void ShowWarning(const QString& text);
// An "Information" box with "OK", no beep.
void ShowInfo(const QString& text);
// A box of the given kind and buttons without a beep; returns the button pressed.
Button ShowMessage(MessageKind kind, const QString& text, int buttons = ButtonOk,
                   Button defaultButton = ButtonOk);
// A "Confirm" box; returns the button pressed.
Button Confirm(const QString& text, int buttons = ButtonYes | ButtonNo,
               Button defaultButton = ButtonYes);
// The general error box: titled with the application title, the message followed by ".".
void ShowGeneralError(const QString& message);
// The same for an error no handler caught: the program's own errors say what they are, others
// what the library says.
void ShowGeneralError(const std::exception_ptr& error);

}  // namespace rk
