#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "viewer/PageCache.h"
#include "viewer/ViewerFile.h"

namespace rk {

// A place in the view: a line and a column within that line's text (a byte of a text line as
// read, or a character of a hex line). Lines and columns count from 0.
struct TextPosition {
    std::int64_t line = 0;
    std::int64_t column = 0;
    friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

struct TextRange {
    TextPosition start;
    TextPosition end;
    [[nodiscard]] bool isEmpty() const { return start == end; }
};

// One file of any size seen as text lines or as hex lines, without windows. It never holds
// the file: a few cached pages, the line last built, and a handful of anchors (line, offset)
// that keep access near the top, the caret, the furthest line reached and the end cheap.
//
// Text lines end at a line feed, a carriage return followed by a line feed (one end, also
// across pages), or a lone carriage return; a line end at the very end of the file starts no
// further line. A line's text is its bytes up to its end, cut at 1,023. Hex line n shows the
// 16 bytes from 16 × n. The number of text lines is unknown until a scan has reached the end.
//
// When the cache finds the file changed (it shrank, grew or was rewritten) the anchors and
// what was learned of the end are forgotten; no byte is shown that the file did not give.
class FileViewModel {
public:
    static constexpr int maxLineLength = 1023;
    static constexpr int hexBytesPerLine = 16;
    static constexpr int defaultTabSize = 8;

    explicit FileViewModel(const ViewedFileOpener& opener = viewedFileOpener());

    // Closes any open file first; raises ViewerError (the file stays closed) on failure.
    void open(const QByteArray& path);
    void close();
    [[nodiscard]] bool isOpen() const { return file_ != nullptr; }
    [[nodiscard]] const QByteArray& fileName() const { return fileName_; }
    [[nodiscard]] std::int64_t fileSize() const { return cache_.size(); }
    // Whether the file was found to have shrunk since the last call (once per shrink).
    [[nodiscard]] bool takeShrink() { return cache_.takeShrink(); }

    [[nodiscard]] bool hexMode() const { return hexMode_; }
    void setHexMode(bool on);
    bool expandTabs = true;
    // Hex mode: control and high bytes as "." in the character column.
    bool filterChars = true;
    [[nodiscard]] int tabSize() const { return tabSize_; }
    // 0 leaves the size as it is.
    void setTabSize(int size);
    void setPageCount(int count) { cache_.setPageCount(count); }

    // The number of lines: 0 for an empty file, empty while a text file's end is unknown.
    [[nodiscard]] std::optional<std::int64_t> lineCount();
    // True when there is at least one line (an unknown count has lines).
    [[nodiscard]] bool hasLines() { return fileSize() > 0; }
    // Scans to the end (text mode) and returns the number of lines.
    std::int64_t scanToEnd();
    // The lines known to exist so far: all of them once the count is known.
    [[nodiscard]] std::int64_t knownLineCount();
    // A line limited to the first and the last (scanning to the end when it lies past what is
    // known); -1 when the file has no lines.
    [[nodiscard]] std::int64_t clampLine(std::int64_t line);
    // Whether the line exists, scanning as far as needed.
    [[nodiscard]] bool lineExists(std::int64_t line) { return lineStart(line) >= 0; }

    // The line's text: its bytes (cut at 1,023) or its hex line; empty past the end.
    [[nodiscard]] QByteArray lineText(std::int64_t line);
    // The file offset where a line starts, or -1 past the end.
    [[nodiscard]] std::int64_t lineStart(std::int64_t line);

    // The hex line of a line: the offset (8 upper-case digits, more past 4 GiB), two blanks,
    // 16 fields of two digits and a blank, a blank, the bytes as characters.
    [[nodiscard]] QByteArray hexLine(std::int64_t line);
    [[nodiscard]] int hexOffsetDigits() const;
    [[nodiscard]] int hexCharColumn() const { return hexOffsetDigits() + 51; }
    [[nodiscard]] int hexLineLength() const { return hexOffsetDigits() + 67; }
    // The byte of the file a hex column stands for (first or last of the row past the ends).
    [[nodiscard]] std::int64_t hexByteAt(TextPosition p) const;

    // The caret's line is kept as an anchor.
    void noteCaretLine(std::int64_t line);

    // Searches for text: forward from the caret's byte, or backward for a match that starts
    // before it. A text-mode match lies within one line's shown part; a hex match may span
    // rows. Without match case, ASCII letters are folded (no other byte).
    [[nodiscard]] std::optional<TextRange> find(QByteArrayView text, TextPosition from,
                                                bool backward, bool matchCase);
    [[nodiscard]] std::optional<TextRange> findInWholeFile(QByteArrayView text, bool backward,
                                                           bool matchCase);

    // The whole file: from the first line's start to the end of the last line; empty when
    // there are no lines.
    [[nodiscard]] TextRange wholeFile();
    // The range's text, lines joined by "\n"; empty when longer than limit bytes (found out
    // before anything is allocated).
    [[nodiscard]] std::optional<QByteArray> rangeText(const TextRange& range, std::int64_t limit);

    // Byte search in the file itself: the first match starting at from or after (forward),
    // or the last starting before from (backward); -1 when none.
    [[nodiscard]] std::int64_t findBytes(QByteArrayView text, std::int64_t from, bool backward,
                                         bool matchCase);

    // Bytes a scan into lines not yet known may read before it gives up for now (0: no
    // limit); the line then counts as not there and scanPending says so. The next scan goes
    // on where it stopped, so a window can scan a file without line ends in slices.
    std::int64_t scanSlice = 0;
    // Whether a scan gave up since the last call.
    [[nodiscard]] bool takePending() { return std::exchange(pending_, false); }

    // How many lines start in (from, to]: to below the file size.
    [[nodiscard]] std::int64_t countLineStarts(std::int64_t from, std::int64_t to);

private:
    struct Anchor {
        std::int64_t line = -1;
        std::int64_t offset = 0;
    };
    struct Walk {
        std::int64_t offset;  // the last line start passed (the start when none)
        std::int64_t found;   // line starts passed
    };
    Walk walkForward(std::int64_t start, std::int64_t count, std::int64_t limit);
    Walk walkBackward(std::int64_t start, std::int64_t count);
    QByteArray readLine(std::int64_t line);
    void checkGeneration();
    void forgetLines();
    [[nodiscard]] std::optional<TextRange> hexMatch(std::int64_t offset, std::int64_t length) const;
    std::optional<TextRange> textMatch(QByteArrayView text, std::int64_t from, bool backward,
                                       bool matchCase, std::int64_t knownLine,
                                       std::int64_t knownStart);

    const ViewedFileOpener& opener_;
    std::unique_ptr<ViewedFile> file_;
    QByteArray fileName_;
    PageCache cache_;
    std::uint64_t generation_ = 0;
    bool hexMode_ = false;
    int tabSize_ = defaultTabSize;

    Anchor furthest_{0, 0};
    Anchor frontier_;  // how far the scan past the furthest line has read (offset)
    bool pending_ = false;
    Anchor last_;  // line -1 while the end is unknown
    Anchor lastScan_;
    Anchor caret_;

    // The line last built.
    std::int64_t bufferLine_ = -1;
    bool bufferHex_ = false;
    std::uint64_t bufferGeneration_ = 0;
    QByteArray buffer_;
};

// ASCII upper-casing only: bytes 128–255 are left alone whatever the locale.
[[nodiscard]] constexpr char foldAscii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}  // namespace rk
