// Any pattern against any name (the input is the pattern, a NUL, then the name): matching
// must neither crash nor run away, and must keep the promises a user relies on.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "platform/NamePattern.h"

namespace {

bool plainName(const QByteArray& name) {
    if (name.isEmpty()) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '-'))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    const QByteArray pattern = nul < 0 ? input : input.left(nul);
    const QByteArray name = nul < 0 ? QByteArray() : input.mid(nul + 1);

    const rk::NamePattern bytes(pattern);
    const bool matched = bytes.matches(name);
    // Typed in a box, the same pattern arrives as text.
    const rk::NamePattern text(QString::fromUtf8(pattern));
    if (QString::fromUtf8(pattern).toUtf8() == pattern) FUZZ_CHECK(text.matches(name) == matched);
    if (bytes.matchesEverything()) FUZZ_CHECK(matched);

    FUZZ_CHECK(rk::NamePattern("*.*").matches(name));
    if (plainName(name)) {
        // A name is its own pattern, in any letter case, and "*" before or after it changes
        // nothing; so is a list holding it.
        FUZZ_CHECK(rk::NamePattern(name).matches(name));
        FUZZ_CHECK(rk::NamePattern(name.toUpper()).matches(name.toLower()));
        FUZZ_CHECK(rk::NamePattern("*" + name).matches(name));
        FUZZ_CHECK(rk::NamePattern(name + "*").matches(name));
        FUZZ_CHECK(rk::NamePattern(pattern + ";" + name).matches(name));
        FUZZ_CHECK(rk::NamePattern(QByteArray(name.size(), '?')).matches(name));
        FUZZ_CHECK(!rk::NamePattern(QByteArray(name.size() + 1, '?')).matches(name));
    }
    return 0;
}
