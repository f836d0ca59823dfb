#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace rk {

// A listing's name pattern: "*" and "?" wildcards ("?" stands for one character of a UTF-8
// name, an undecodable byte counting as one), ASCII letters compared without regard to
// case, ";" between alternatives. "*.*" matches every name; a pattern ending in ".*" also
// matches names without a dot.
class NamePattern {
public:
    NamePattern();  // "*.*"
    explicit NamePattern(const QString& pattern);
    explicit NamePattern(const QByteArray& pattern);
    explicit NamePattern(const char* pattern) : NamePattern(QByteArray(pattern)) {}

    [[nodiscard]] bool matches(const QByteArray& name) const;
    [[nodiscard]] bool matchesEverything() const { return everything_; }
    [[nodiscard]] const QByteArray& text() const { return text_; }

private:
    QByteArray text_;
    std::vector<QByteArray> alternatives_;
    bool everything_ = false;
};

}  // namespace rk
