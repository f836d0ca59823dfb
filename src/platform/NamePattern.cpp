#include "platform/NamePattern.h"

#include <QList>

namespace rk {

namespace {

char fold(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Iterative glob match with single-star backtracking: linear enough for file names.
bool globMatch(const char* p, const char* pe, const char* n, const char* ne) {
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (n < ne) {
        if (p < pe && (*p == '?' || fold(*p) == fold(*n))) {
            ++p;
            ++n;
        } else if (p < pe && *p == '*') {
            starP = ++p;
            starN = n;
        } else if (starP) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pe && *p == '*')
        ++p;
    return p == pe;
}

bool matchOne(const QByteArray& pattern, const QByteArray& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    if (globMatch(pattern.constData(), pattern.constData() + pattern.size(), name.constData(),
                  name.constData() + name.size()))
        return true;
    // "NAME.*" also stands for "NAME" without any extension.
    if (pattern.endsWith(".*") && !name.contains('.')) {
        const QByteArray stem = pattern.left(pattern.size() - 2);
        return globMatch(stem.constData(), stem.constData() + stem.size(), name.constData(),
                         name.constData() + name.size());
    }
    return false;
}

}  // namespace

NamePattern::NamePattern() : NamePattern(QByteArray("*.*")) {}

NamePattern::NamePattern(const QString& pattern) : NamePattern(pattern.toUtf8()) {}

NamePattern::NamePattern(const QByteArray& pattern) : text_(pattern) {
    for (const QByteArray& piece : pattern.split(';')) {
        const QByteArray alt = piece.trimmed();
        if (alt.isEmpty()) continue;
        if (alt == "*.*" || alt == "*") everything_ = true;
        alternatives_.push_back(alt);
    }
    if (alternatives_.empty()) {
        alternatives_.push_back("*.*");
        everything_ = true;
    }
}

bool NamePattern::matches(const QByteArray& name) const {
    if (everything_) return true;
    for (const QByteArray& alt : alternatives_)
        if (matchOne(alt, name)) return true;
    return false;
}

}  // namespace rk
