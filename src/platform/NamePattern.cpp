#include "platform/NamePattern.h"

#include <QList>
#include <cstddef>

namespace rk {

namespace {

char fold(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// The length of the character at n: one well-formed UTF-8 sequence, or a single byte where
// the bytes there form none (a name need not be valid text).
std::ptrdiff_t charLength(const char* n, const char* ne) {
    const auto byte = [&](std::ptrdiff_t i) { return static_cast<unsigned char>(n[i]); };
    const unsigned lead = byte(0);
    std::ptrdiff_t length = 1;
    unsigned low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 1;
    }
    if (ne - n < length || byte(1) < low || byte(1) > high) return 1;
    for (std::ptrdiff_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 1;
    return length;
}

// Iterative glob match with single-star backtracking: linear enough for file names. "?" and
// "*" count characters, not bytes, so a star never stops inside one.
bool globMatch(const char* p, const char* pe, const char* n, const char* ne) {
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (n < ne) {
        if (p < pe && *p == '?') {
            ++p;
            n += charLength(n, ne);
        } else if (p < pe && *p != '*' && fold(*p) == fold(*n)) {
            ++p;
            ++n;
        } else if (p < pe && *p == '*') {
            starP = ++p;
            starN = n;
        } else if (starP) {
            p = starP;
            starN += charLength(starN, ne);
            n = starN;
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
