#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "InstalledPlatform.h"
#include "MeddlingContents.h"
#include "TempTree.h"
#include "common/SearchPath.h"
#include "duplicates/ContentScan.h"

namespace rk {

// A tree of its own for each content search test, searched through MeddlingContents.
class ContentScanTest : public ::testing::Test {
protected:
    void SetUp() override { setSearchPathList({}); }

    // The listed files, relative to the tree, each group in braces.
    QString run(int limitKb = 0) {
        ContentScan::Query q;
        q.sizeLimitKb = limitKb;
        q.drives = installed.table().drives();
        scan = std::make_unique<ContentScan>(installed.platform(), nullptr, &contents);
        if (collide) scan->hashBlock = [](QByteArrayView) { return ContentHash{1, 2}; };
        if (hashBlock) scan->hashBlock = hashBlock;
        scan->run(q);
        QString out;
        const auto& records = scan->lbFiles();
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (i == 0 || scan->groupOf(i) != scan->groupOf(i - 1))
                out += (i == 0 ? "{" : "} {");
            else
                out += ' ';
            out += QString::fromUtf8(scan->pathOf(records[i]).mid(tree.root().size() + 1));
        }
        return out.isEmpty() ? out : out + '}';
    }
    static QByteArray bytes(int size, char fill, char last) {
        QByteArray b(size, fill);
        b[size - 1] = last;
        return b;
    }
    // A file of size bytes, sparse or written out, with one byte 'x' at `at`.
    QByteArray sparse(const QByteArray& name, std::int64_t size, std::int64_t at, bool dense) {
        const QByteArray p = tree.file(name, dense ? std::int64_t(0) : size);
        const int fd = ::open(p.constData(), O_WRONLY);
        if (dense) {
            const QByteArray zeros(int(size), '\0');
            EXPECT_EQ(::write(fd, zeros.constData(), zeros.size()), size);
        }
        EXPECT_EQ(::pwrite(fd, "x", 1, at), 1);
        ::close(fd);
        return p;
    }

    test::TempTree tree;
    test::InstalledPlatform installed{{tree.root()}};
    test::MeddlingContents contents;
    bool collide = false;
    std::function<ContentHash(QByteArrayView)> hashBlock;
    std::unique_ptr<ContentScan> scan;
};

}  // namespace rk
