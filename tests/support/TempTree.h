#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

namespace rk::test {

// A temporary folder to build awkward trees in; removed with everything in it at the end.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    [[nodiscard]] QByteArray root() const { return root_; }
    [[nodiscard]] QByteArray path(const QByteArray& relative) const;

    // Creates the folders on the way as needed.
    QByteArray dir(const QByteArray& relative) const;
    QByteArray file(const QByteArray& relative, std::int64_t size = 0) const;
    QByteArray file(const QByteArray& relative, const QByteArray& content) const;
    QByteArray symlink(const QByteArray& relative, const QByteArray& target) const;
    // Sets last-access and last-write time to local time y-m-d h:mi:s.
    void setTimes(const QByteArray& relative, int y, int m, int d, int h = 12, int mi = 0,
                  int s = 0) const;

private:
    QTemporaryDir dir_;
    QByteArray root_;
};

}  // namespace rk::test
