#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>

#include "MemoryFile.h"
#include "common/Errors.h"
#include "viewer/AsciiStrings.h"
#include "viewer/FileViewModel.h"

namespace rk {
namespace {

using test::MemoryOpener;

class FileViewModelTest : public ::testing::Test {
protected:
    FileViewModel& open(const QByteArray& bytes) {
        state = opener.add("f", bytes);
        model.open("f");
        return model;
    }
    // Every line read from the first on, and then again from the last back to the first.
    std::pair<QList<QByteArray>, QList<QByteArray>> bothWays() {
        QList<QByteArray> forwards, backwards;
        for (std::int64_t l = 0; model.lineExists(l); ++l)
            forwards.append(model.lineText(l));
        FileViewModel fresh(opener);
        fresh.open("f");
        for (std::int64_t l = fresh.scanToEnd() - 1; l >= 0; --l)
            backwards.prepend(fresh.lineText(l));
        return {forwards, backwards};
    }

    MemoryOpener opener;
    std::shared_ptr<test::MemoryFileState> state;
    FileViewModel model{opener};
};

TEST_F(FileViewModelTest, EveryLineEndCountsOnceBothWays) {
    const struct {
        QByteArray bytes;
        QList<QByteArray> lines;
    } cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\nb\rc\n\rd", {"a", "", "b", "c", "", "d"}},
        {"a\r\r\n\n", {"a", "", ""}},
        {"no end", {"no end"}},
        {"\n", {""}},
        {QByteArray("x\0y\n", 4), {QByteArray("x\0y", 3)}},
    };
    for (const auto& c : cases) {
        open(c.bytes);
        const auto [forwards, backwards] = bothWays();
        EXPECT_EQ(forwards, c.lines) << c.bytes.toPercentEncoding().constData();
        EXPECT_EQ(backwards, c.lines) << c.bytes.toPercentEncoding().constData();
        EXPECT_EQ(model.lineCount(), c.lines.size());
    }
    open("");
    EXPECT_EQ(model.lineCount(), 0);
    EXPECT_FALSE(model.lineExists(0));
    EXPECT_TRUE(model.wholeFile().isEmpty());
}

TEST_F(FileViewModelTest, CarriageReturnAndLineFeedSplitByAPage) {
    QByteArray bytes(PageCache::pageSize - 1, 'x');
    bytes += "\r\nnext\rlast";
    // And a lone carriage return as a page's last byte, with the next page starting a line.
    bytes += QByteArray(2 * PageCache::pageSize - bytes.size() - 1, 'y') + "\rz";
    open(bytes);
    const auto [forwards, backwards] = bothWays();
    ASSERT_EQ(forwards.size(), 4);
    EXPECT_EQ(forwards[1], "next");
    EXPECT_EQ(forwards[3], "z");
    EXPECT_EQ(backwards, forwards);
    EXPECT_EQ(model.lineText(0).size(), FileViewModel::maxLineLength);
}

TEST_F(FileViewModelTest, AnchorsAgreeWithAFreshScanAnywhere) {
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += QByteArray::number(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    open(bytes);
    // Jumps far and back in every direction; each line must read as its number.
    for (const std::int64_t l : {4999, 10, 2500, 2499, 0, 4998, 1234, 4321, 3}) {
        EXPECT_EQ(model.lineText(l), QByteArray::number(qlonglong(l)));
        model.noteCaretLine(l);
    }
    EXPECT_EQ(model.lineCount(), std::nullopt);
    EXPECT_EQ(model.clampLine(999999), 4999);
    EXPECT_EQ(model.lineCount(), 5000);
}

TEST_F(FileViewModelTest, ALineWithoutEndIsScannedInSlices) {
    open(QByteArray(100000, 'z') + "\nsecond\r\nthird");
    model.scanSlice = 4096;
    int slices = 0;
    while (!model.lineExists(2)) {
        ASSERT_TRUE(model.takePending());
        ASSERT_LT(++slices, 100);
    }
    EXPECT_GE(slices, 100000 / 4096);
    EXPECT_EQ(model.lineText(1), "second");
    EXPECT_EQ(model.lineText(2), "third");
    EXPECT_FALSE(model.lineExists(3));
    EXPECT_FALSE(model.takePending());
    EXPECT_EQ(model.lineCount(), 3);
}

TEST_F(FileViewModelTest, HexLinesAndTheCharacterColumn) {
    QByteArray bytes(
        "\x00\x09\x1f\x7f\x80"
        "AB",
        7);
    bytes += QByteArray(10, 'z');
    open(bytes);
    EXPECT_EQ(model.lineStart(0), 0);
    model.setHexMode(true);
    EXPECT_EQ(model.lineCount(), 2);
    EXPECT_EQ(model.lineText(0),
              "00000000  00 09 1F 7F 80 41 42 7A 7A 7A 7A 7A 7A 7A 7A 7A  ...\x7f.ABzzzzzzzzz");
    EXPECT_EQ(model.lineText(1), "00000010  7A" + QByteArray(46, ' ') + " z" + QByteArray(15, ' '));
    model.filterChars = false;
    EXPECT_EQ(model.hexLine(0).mid(59, 5), QByteArray("..\x1f\x7f\x80", 5));
    model.expandTabs = false;
    EXPECT_EQ(model.hexLine(0).mid(59, 2), QByteArray(".\t"));
}

TEST_F(FileViewModelTest, FindInTextAndHex) {
    QByteArray bytes = "one abc ABC\nabcabc\n";
    for (int i = 0; i < 40; ++i)
        bytes += QByteArray(99, '-') + "\n";
    // "needle" starts three bytes before the second page.
    bytes += QByteArray(PageCache::pageSize - 3 - bytes.size(), 'x') + "needle\n\xe9t\xc9T";
    open(bytes);
    // Forward from the caret, case folded; then with match case.
    std::optional<TextRange> r = model.find("ABC", {0, 0}, false, false);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, (TextPosition{0, 4}));
    r = model.find("ABC", r->end, false, true);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, (TextPosition{0, 8}));
    r = model.find("abc", r->end, false, true);
    EXPECT_EQ(r->start, (TextPosition{1, 0}));
    // Backward finds the match before the caret, across lines.
    r = model.find("abc", {1, 3}, true, true);
    EXPECT_EQ(r->start, (TextPosition{1, 0}));
    r = model.find("abc", {1, 0}, true, true);
    EXPECT_EQ(r->start, (TextPosition{0, 4}));
    // Across a page, and only ASCII letters are folded.
    r = model.findInWholeFile("NEEDLE", false, false);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, (TextPosition{42, 74}));
    EXPECT_FALSE(model.find("\xe9T\xe9", {0, 0}, false, false));
    EXPECT_FALSE(model.find("c\nab", {0, 0}, false, false));
    r = model.findInWholeFile("\xe9T", true, false);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, (TextPosition{43, 0}));

    // Hex: a second match in the same row, and backward from the first row.
    open("abab----------------ab");
    model.setHexMode(true);
    r = model.find("ab", {0, 0}, false, true);
    EXPECT_EQ(r->start, (TextPosition{0, 59}));
    EXPECT_EQ(r->end, (TextPosition{0, 61}));
    r = model.find("ab", {0, 61}, false, true);
    EXPECT_EQ(r->start, (TextPosition{0, 61}));
    EXPECT_FALSE(model.find("ab", {0, 59}, true, true));
    r = model.findInWholeFile("b", true, true);
    EXPECT_EQ(r->start, (TextPosition{1, 64}));
    r = model.find("--a", {0, 0}, false, true);
    EXPECT_EQ(r->start, (TextPosition{1, 59 + 2}));
}

TEST_F(FileViewModelTest, CopyingMeasuresBeforeItAllocates) {
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes += QByteArray(654, 'a' + i % 26) + "\n";  // 65,500 bytes of lines
    bytes += "tail";
    open(bytes);
    const TextRange all = model.wholeFile();
    EXPECT_EQ(all.end, (TextPosition{100, 4}));
    // 100 lines of 654, 100 joins, 4: 65,504 bytes.
    const std::optional<QByteArray> text = model.rangeText(all, 65520);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), 65504);
    EXPECT_TRUE(text->endsWith("v\ntail"));
    EXPECT_TRUE(model.rangeText(all, 65503) == std::nullopt);
    EXPECT_EQ(model.rangeText({{0, 650}, {1, 2}}, 65520), "aaaa\nbb");
}

TEST_F(FileViewModelTest, AFileThatShrinksShowsNoPhantomBytes) {
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "line " + QByteArray::number(i) + "\n";
    open(bytes);
    model.setPageCount(2);
    EXPECT_EQ(model.scanToEnd(), 3000);
    state->bytes.truncate(100);
    state->modified = 2;
    // A miss notices the change: what was learned of the end is forgotten.
    EXPECT_EQ(model.lineText(0), "line 0");
    EXPECT_EQ(model.lineCount(), std::nullopt);
    EXPECT_EQ(model.lineText(2990), "");
    EXPECT_EQ(model.scanToEnd(), 14);
    EXPECT_EQ(model.lineText(13), "line 1");
    // A read that comes back short is the end even when the status did not change.
    open(bytes);
    state->maxRead = 1000;
    EXPECT_EQ(model.fileSize(), bytes.size());
    EXPECT_EQ(model.lineText(0), "line 0");
    EXPECT_EQ(model.fileSize(), 1000);
    model.setHexMode(true);
    EXPECT_EQ(model.hexLine(1000 / 16 + 1), "");
}

TEST_F(FileViewModelTest, ErrorsSayWhatWentWrong) {
    EXPECT_THROW(
        try { model.open("missing"); } catch (const ViewerError& e) {
            EXPECT_EQ(e.message(), "Viewer: file not found");
            throw;
        },
        ViewerError);
    EXPECT_FALSE(model.isOpen());
    open(QByteArray(10000, 'x'));
    state->failAfterReads = 0;
    try {
        (void)model.lineText(0);
        ADD_FAILURE();
    } catch (const ViewerError& e) {
        EXPECT_EQ(e.message(), "Viewer triggered I/O error 5");
    }
    EXPECT_EQ(viewerErrorText(EISDIR), "Viewer: path not found or invalid file name");
    EXPECT_EQ(viewerErrorText(EMFILE), "Viewer: too many open files");
    EXPECT_EQ(viewerErrorText(EPERM), "Viewer: file access denied");

    // The real opener: a folder, a FIFO (which must not block) and a missing file.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    LinuxFileOpener real;
    for (const auto& [path, expected] :
         {std::pair{QFile::encodeName(dir.path()), EISDIR}, std::pair{fifo, EINVAL},
          std::pair{QFile::encodeName(dir.filePath("none")), ENOENT}}) {
        int error = 0;
        EXPECT_EQ(real.open(path, error), nullptr);
        EXPECT_EQ(error, expected) << path.constData();
    }
}

TEST_F(FileViewModelTest, SparseFileMarkerPastFourGiB) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("sparse"));
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    const std::int64_t marker = (std::int64_t(1) << 32) + 0x123450;
    ASSERT_EQ(::pwrite(fd, "MARK\n", 5, marker), 5);
    ASSERT_EQ(::ftruncate(fd, std::int64_t(5) << 30), 0);
    ::close(fd);
    LinuxFileOpener real;
    FileViewModel big(real);
    big.open(path);
    EXPECT_EQ(big.fileSize(), std::int64_t(5) << 30);
    big.setHexMode(true);
    EXPECT_EQ(big.lineCount(), (std::int64_t(5) << 30) / 16);
    EXPECT_EQ(big.hexLine(marker / 16),
              "100123450  4D 41 52 4B 0A 00 00 00 00 00 00 00 00 00 00 00  "
              "MARK............");
    EXPECT_EQ(big.findBytes("MARK", marker - 3000, false, true), marker);
    EXPECT_EQ(big.findBytes("mark", marker + 3000, true, false), marker);
}

TEST(AsciiStringsTest, RunsBlocksAndReads) {
    const auto scan = [](const QByteArray& bytes, int maxRead = -1) {
        MemoryOpener opener;
        opener.add("f", bytes)->maxRead = maxRead;
        int error = 0;
        std::unique_ptr<ViewedFile> file = opener.open("f", error);
        QList<QByteArray> found;
        const std::int64_t n =
            AsciiStringsScan{}.run(*file, [&](QByteArrayView s) { found.append(s.toByteArray()); });
        EXPECT_EQ(n, found.size());
        return found;
    };
    EXPECT_TRUE(scan(QByteArray("abcde\0", 6)).isEmpty());
    EXPECT_TRUE(scan("abcde!").isEmpty());
    EXPECT_EQ(scan(QByteArray("hello world\0", 12)), QList<QByteArray>{"hello world"});
    EXPECT_EQ(scan(QByteArray(101, 'q') + "\n"), QList<QByteArray>{QByteArray(101, 'q')});
    EXPECT_TRUE(scan(QByteArray(102, 'q') + "\n").isEmpty());
    EXPECT_TRUE(scan("at the very end").isEmpty());
    // Straddling a block: only the second block's part, if long enough on its own.
    QByteArray straddle = QByteArray(2040, '.') + "abcdefghij" + "klmnop.";
    EXPECT_EQ(scan(straddle), QList<QByteArray>{"ijklmnop"});
    straddle = QByteArray(2044, '.') + "abcd" + "efghijk.";
    EXPECT_EQ(scan(straddle), QList<QByteArray>{"efghijk"});
    // A short read is the end.
    EXPECT_EQ(scan(QByteArray(3000, '.') + "strings.", 1000), QList<QByteArray>{});

    // A failed read raises, after passing on what it found.
    MemoryOpener opener;
    auto state = opener.add("f", "first one." + QByteArray(5000, '.'));
    state->failAfterReads = 1;
    int error = 0;
    std::unique_ptr<ViewedFile> file = opener.open("f", error);
    QList<QByteArray> found;
    EXPECT_THROW(
        AsciiStringsScan{}.run(*file, [&](QByteArrayView s) { found.append(s.toByteArray()); }),
        IoError);
    EXPECT_EQ(found, QList<QByteArray>{"first one"});
}

}  // namespace
}  // namespace rk
