#pragma once

#include <QByteArray>
#include <QMap>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "TestPlatform.h"
#include "common/TextHelpers.h"

namespace rk::test {

// The test platform with time stamps of its own for chosen files, by full path: a birth time
// cannot be set on Linux, and stamps of 1975 or 2150 are awkward to give real files.
class RawTimePlatform : public TestPlatform {
public:
    using TestPlatform::TestPlatform;

    void setRaw(const QByteArray& path, RawTimes times) { raw_[path] = times; }

    int readFolder(const FolderHandle& folder, bool isDriveRoot,
                   std::vector<SearchRecord>& entries) const override {
        const int error = TestPlatform::readFolder(folder, isDriveRoot, entries);
        for (SearchRecord& e : entries) {
            const auto found = raw_.constFind(JoinPath(lastReadPath, e.name));
            if (found != raw_.cend()) e.raw = *found;
        }
        return error;
    }

private:
    QMap<QByteArray, RawTimes> raw_;
};

// The instant of a local date and time in the zone now set.
inline std::int64_t localInstant(int y, int mo, int d, int h = 12, int mi = 0, int s = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::int64_t(std::mktime(&tm));
}

// Sets TZ for as long as it lives.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = QByteArray(old);
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedZone() {
        if (old_)
            ::setenv("TZ", old_->constData(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    std::optional<QByteArray> old_;
};

}  // namespace rk::test
