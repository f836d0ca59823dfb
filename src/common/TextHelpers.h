#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rk {

// The whole number with the locale's thousands separator: 1,234,567 in English.
[[nodiscard]] QString formatThousands(std::int64_t n);
// Reads such a text back: separators removed; an unreadable text counts as 0.
[[nodiscard]] std::int64_t readThousands(const QString& text);
// The noun after a count: as given for exactly one, with "s" otherwise ("1 file", "2 files").
[[nodiscard]] QString countNoun(std::int64_t n, const char* noun);

// Field n (from 1) of a tab-separated record; empty when the record has fewer fields.
[[nodiscard]] QString tabField(const QString& text, int n);

// folder + "/" + name, without doubling the separator after a root such as "/".
[[nodiscard]] QString JoinPath(const QString& folder, const QString& name);
[[nodiscard]] QByteArray JoinPath(const QByteArray& folder, const QByteArray& name);

// A path's exact bytes shown as text; undecodable bytes are replaced for display only.
[[nodiscard]] QString displayPath(const QByteArray& path);

// ASCII upper case only, as the search-path comparison wants.
[[nodiscard]] QString asciiUpper(const QString& text);

}  // namespace rk
