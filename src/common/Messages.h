#pragma once

#include <QString>
#include <exception>

#include "common/Dialogs.h"

namespace rk {

inline const QString applicationTitle = QStringLiteral("Roomkin '95");

// A request for a box of the given kind, titled after it.
[[nodiscard]] MessageRequest messageRequest(MessageKind kind, const QString& text,
                                            int buttons = ButtonOk,
                                            Button defaultButton = ButtonOk);
// The general error box of the installed dialog service, for errors no window caught.
void ShowGeneralError(const QString& message);
// The same for an error no handler caught: the program's own errors say what they are, others
// what the library says.
void ShowGeneralError(const std::exception_ptr& error);

}  // namespace rk
