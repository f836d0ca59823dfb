#include "viewer/FileViewModel.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace rk {

namespace {

constexpr std::int64_t noLimit = std::numeric_limits<std::int64_t>::max();
// Pages read at once by a long scan.
constexpr int scanAhead = 8;

// Bit j is set when a line starts after d[j] (d[j] is a line feed, or a carriage return not
// followed by one), for j in 0..15; reads d[0..16].
inline unsigned startMask(const char* d) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 1));
    const __m128i lf = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
    const __m128i cr = _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'));
    const __m128i lone = _mm_andnot_si128(_mm_cmpeq_epi8(next, _mm_set1_epi8('\n')), cr);
    return unsigned(_mm_movemask_epi8(_mm_or_si128(lf, lone)));
#else
    unsigned mask = 0;
    for (int j = 0; j < 16; ++j)
        if (d[j] == '\n' || (d[j] == '\r' && d[j + 1] != '\n')) mask |= 1u << j;
    return mask;
#endif
}

// The same for 64 bytes (bit j for d[j]), reads d[0..64]. Most text has no carriage return,
// so the line feeds alone are the answer and the next bytes are taken from their own mask.
inline std::uint64_t startMask64(const char* d) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    std::uint64_t lfs = 0;
    __m128i anyCr = _mm_setzero_si128();
    __m128i crBlock[4];
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 16 * k));
        lfs |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << (16 * k);
        crBlock[k] = _mm_cmpeq_epi8(v, cr);
        anyCr = _mm_or_si128(anyCr, crBlock[k]);
    }
    if (_mm_movemask_epi8(anyCr) == 0) return lfs;
    std::uint64_t crs = 0;
    for (int k = 0; k < 4; ++k)
        crs |= std::uint64_t(unsigned(_mm_movemask_epi8(crBlock[k]))) << (16 * k);
#else
    std::uint64_t lfs = 0, crs = 0;
    for (int j = 0; j < 64; ++j) {
        lfs |= std::uint64_t(d[j] == '\n') << j;
        crs |= std::uint64_t(d[j] == '\r') << j;
    }
#endif
    const std::uint64_t nextIsLf = (lfs >> 1) | (std::uint64_t(d[64] == '\n') << 63);
    return lfs | (crs & ~nextIsLf);
}

#if defined(__x86_64__)
// The same with 32-byte registers, where the processor has them: counting to the end of a
// large file is bound by this loop.
__attribute__((target("avx2,popcnt,lzcnt,bmi"))) inline std::uint64_t startMask64Wide(
    const char* d) {
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 32));
    const std::uint64_t lfs =
        std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, lf)))) |
        (std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, lf)))) << 32);
    const __m256i crA = _mm256_cmpeq_epi8(a, cr);
    const __m256i crB = _mm256_cmpeq_epi8(b, cr);
    if (_mm256_testz_si256(_mm256_or_si256(crA, crB), _mm256_set1_epi8(-1))) return lfs;
    const std::uint64_t crs = std::uint64_t(unsigned(_mm256_movemask_epi8(crA))) |
                              (std::uint64_t(unsigned(_mm256_movemask_epi8(crB))) << 32);
    const std::uint64_t nextIsLf = (lfs >> 1) | (std::uint64_t(d[64] == '\n') << 63);
    return lfs | (crs & ~nextIsLf);
}

const bool wideRegisters = __builtin_cpu_supports("avx2");
#else
constexpr bool wideRegisters = false;
inline std::uint64_t startMask64Wide(const char* d) {
    return startMask64(d);
}
#endif

// Passes whole 64-byte chunks of a page (while the byte after each is on it and the chunk lies
// before clip), counting line starts up to count; returns where it stopped.
template <std::uint64_t (*maskOf)(const char*)>
inline std::int64_t chunks(const char* d, std::int64_t i, std::int64_t n, std::int64_t clip,
                           std::int64_t count, std::int64_t& found, std::int64_t& offset,
                           std::int64_t base) {
    while (i + 64 < n && i + 64 <= clip && found < count) {
        std::uint64_t mask = maskOf(d + i);
        const int bits = __builtin_popcountll(mask);
        if (found + bits < count) {
            if (mask) offset = base + i + (63 - __builtin_clzll(mask)) + 1;
            found += bits;
        } else {
            while (found < count) {
                const int j = __builtin_ctzll(mask);
                mask &= mask - 1;
                offset = base + i + j + 1;
                ++found;
            }
        }
        i += 64;
    }
    return i;
}

std::int64_t skipChunks(const char* d, std::int64_t i, std::int64_t n, std::int64_t clip,
                        std::int64_t count, std::int64_t& found, std::int64_t& offset,
                        std::int64_t base) {
    return chunks<startMask64>(d, i, n, clip, count, found, offset, base);
}

#if defined(__x86_64__)
__attribute__((target("avx2,popcnt,lzcnt,bmi"))) std::int64_t skipChunksWide(
    const char* d, std::int64_t i, std::int64_t n, std::int64_t clip, std::int64_t count,
    std::int64_t& found, std::int64_t& offset, std::int64_t base) {
    return chunks<startMask64Wide>(d, i, n, clip, count, found, offset, base);
}
#else
std::int64_t skipChunksWide(const char* d, std::int64_t i, std::int64_t n, std::int64_t clip,
                            std::int64_t count, std::int64_t& found, std::int64_t& offset,
                            std::int64_t base) {
    return skipChunks(d, i, n, clip, count, found, offset, base);
}
#endif

inline bool endsLine(char c, int next) {
    return c == '\n' || (c == '\r' && next != '\n');
}

char hexDigit(int v) {
    return "0123456789ABCDEF"[v & 15];
}

}  // namespace

FileViewModel::FileViewModel(const ViewedFileOpener& opener) : opener_(opener) {}

void FileViewModel::open(const QByteArray& path) {
    close();
    int error = 0;
    std::unique_ptr<ViewedFile> file = opener_.open(path, error);
    if (!file) throw ViewerError(error);
    cache_.attach(file.get());
    file_ = std::move(file);
    fileName_ = path;
    generation_ = cache_.generation();
    forgetLines();
}

void FileViewModel::close() {
    cache_.attach(nullptr);
    file_.reset();
    fileName_.clear();
    generation_ = cache_.generation();
    forgetLines();
}

void FileViewModel::forgetLines() {
    furthest_ = {0, 0};
    frontier_ = {};
    pending_ = false;
    last_ = {};
    lastScan_ = {};
    caret_ = {};
    bufferLine_ = -1;
}

void FileViewModel::checkGeneration() {
    if (cache_.generation() == generation_) return;
    generation_ = cache_.generation();
    forgetLines();
}

void FileViewModel::setHexMode(bool on) {
    hexMode_ = on;
    bufferLine_ = -1;
}

void FileViewModel::setTabSize(int size) {
    if (size > 0) tabSize_ = std::min(size, 255);
}

std::optional<std::int64_t> FileViewModel::lineCount() {
    checkGeneration();
    const std::int64_t size = fileSize();
    if (size == 0) return 0;
    if (hexMode_) return (size - 1) / hexBytesPerLine + 1;
    if (last_.line < 0) return std::nullopt;
    return last_.line + 1;
}

std::int64_t FileViewModel::scanToEnd() {
    if (!isOpen()) return 0;
    if (!hexMode_) (void)lineStart(noLimit);
    return lineCount().value_or(knownLineCount());
}

std::int64_t FileViewModel::knownLineCount() {
    if (const std::optional<std::int64_t> n = lineCount()) return *n;
    return furthest_.line + 1;
}

std::int64_t FileViewModel::clampLine(std::int64_t line) {
    if (!isOpen() || fileSize() == 0) return -1;
    line = std::max<std::int64_t>(line, 0);
    if (lineStart(line) >= 0) return line;
    return std::max<std::int64_t>(0, scanToEnd() - 1);
}

FileViewModel::Walk FileViewModel::walkForward(std::int64_t start, std::int64_t count,
                                               std::int64_t limit) {
    Walk w{start, 0};
    std::int64_t p = start;
    while (w.found < count && p < limit) {
        const PageCache::Span span = cache_.spanAt(p, scanAhead);
        if (span.length == 0) break;
        const char* d = span.data;
        std::int64_t i = p - span.start;
        const std::int64_t n = span.length;
        const std::int64_t clip = std::min(n, limit - span.start);  // positions before this
        i = wideRegisters ? skipChunksWide(d, i, n, clip, count, w.found, w.offset, span.start)
                          : skipChunks(d, i, n, clip, count, w.found, w.offset, span.start);
        while (i + 16 < n && i + 16 <= clip && w.found < count) {
            unsigned mask = startMask(d + i);
            const int bits = __builtin_popcount(mask);
            if (w.found + bits < count) {
                if (mask) w.offset = span.start + i + (31 - __builtin_clz(mask)) + 1;
                w.found += bits;
            } else {
                while (w.found < count) {
                    const int j = __builtin_ctz(mask);
                    mask &= mask - 1;
                    w.offset = span.start + i + j + 1;
                    ++w.found;
                }
            }
            i += 16;
        }
        for (; i < clip && w.found < count; ++i) {
            // The next byte may lie on the following page; looking it up may reuse this
            // page's entry, which is why this is the span's last read of d.
            const int next = i + 1 < n ? static_cast<unsigned char>(d[i + 1])
                                       : cache_.byteAt(span.start + n, scanAhead);
            if (endsLine(d[i], next) && span.start + i + 1 < cache_.size()) {
                w.offset = span.start + i + 1;
                ++w.found;
            }
        }
        p = span.start + i;
    }
    return w;
}

FileViewModel::Walk FileViewModel::walkBackward(std::int64_t start, std::int64_t count) {
    Walk w{start, 0};
    // A line starts after position p: p runs down from the byte before the line end that
    // precedes start.
    std::int64_t p = start - 2;
    while (w.found < count && p >= 0) {
        const PageCache::Span span = cache_.spanAt(p, -scanAhead);
        if (span.length == 0) break;
        const char* d = span.data;
        std::int64_t i = p - span.start;
        const std::int64_t n = span.length;
        // Whole blocks of 16 ending at i, while the byte after the block is on this page.
        while (i >= 15 && i + 1 < n && w.found < count) {
            unsigned mask = startMask(d + i - 15);
            const int bits = __builtin_popcount(mask);
            if (w.found + bits < count) {
                if (mask) w.offset = span.start + i - 15 + __builtin_ctz(mask) + 1;
                w.found += bits;
            } else {
                while (w.found < count) {
                    const int j = 31 - __builtin_clz(mask);
                    mask &= ~(1u << j);
                    w.offset = span.start + i - 15 + j + 1;
                    ++w.found;
                }
            }
            i -= 16;
        }
        // The last byte of the page needs the next page's first byte: read it first, as a
        // lookup may reuse this page's entry.
        const int after = i + 1 < n ? 0 : cache_.byteAt(span.start + n);
        const PageCache::Span again = cache_.spanAt(span.start + std::max<std::int64_t>(i, 0));
        if (again.data == nullptr) break;
        d = again.data;
        for (; i >= 0 && w.found < count; --i) {
            const int next = i + 1 < n ? static_cast<unsigned char>(d[i + 1]) : after;
            if (endsLine(d[i], next)) {
                w.offset = span.start + i + 1;
                ++w.found;
            }
        }
        p = span.start + i;
    }
    if (w.found < count) {
        // The start of the file is a line start too.
        w.offset = 0;
        ++w.found;
    }
    return w;
}

std::int64_t FileViewModel::lineStart(std::int64_t line) {
    if (!isOpen() || line < 0) return -1;
    checkGeneration();
    const std::int64_t size = fileSize();
    if (hexMode_) {
        if (line > (size - 1) / hexBytesPerLine || size == 0) return -1;
        return line * hexBytesPerLine;
    }
    if (size == 0) return -1;
    if (last_.line >= 0 && line > last_.line) return -1;
    Anchor best{0, 0};
    for (const Anchor& a : {furthest_, last_, lastScan_, caret_}) {
        if (a.line < 0) continue;
        const auto distance = [line](const Anchor& x) {
            return x.line > line ? x.line - line : line - x.line;
        };
        if (distance(a) < distance(best)) best = a;
    }
    const std::uint64_t generation = cache_.generation();
    std::int64_t offset = -1;
    bool atEnd = false;
    bool partial = false;
    std::int64_t limit = noLimit;
    Walk w{0, 0};
    if (best.line <= line) {
        // Past the furthest line a scan goes on from where the last one gave up, and gives up
        // itself after scanSlice bytes.
        std::int64_t from = best.offset;
        const bool unknown = line > furthest_.line;
        if (unknown && best.line == furthest_.line && frontier_.line == furthest_.line)
            from = std::max(from, frontier_.offset);
        if (unknown && scanSlice > 0) limit = from + scanSlice;
        const std::int64_t want = line - best.line;
        w = walkForward(from, want, limit);
        if (w.found == 0) w.offset = best.offset;
        partial = w.found < want && limit < fileSize();
        atEnd = w.found < want && !partial;
        offset = w.offset;
    } else {
        offset = walkBackward(best.offset, best.line - line).offset;
    }
    // A file that changed during the scan: what was learned of it is forgotten.
    if (generation != cache_.generation()) {
        checkGeneration();
        return -1;
    }
    if (partial) {
        if (best.line + w.found > furthest_.line) furthest_ = {best.line + w.found, w.offset};
        if (best.line + w.found == furthest_.line) frontier_ = {furthest_.line, limit};
        pending_ = true;
        return -1;
    }
    if (atEnd) {
        last_ = {best.line + w.found, w.offset};
        if (last_.line > furthest_.line) furthest_ = last_;
        return -1;
    }
    lastScan_ = {line, offset};
    if (line > furthest_.line) furthest_ = lastScan_;
    return offset;
}

void FileViewModel::noteCaretLine(std::int64_t line) {
    const std::int64_t offset = lineStart(line);
    if (offset >= 0) caret_ = {line, offset};
}

int FileViewModel::hexOffsetDigits() const {
    int digits = 8;
    for (std::int64_t last = fileSize() - 1; digits < 16 && (last >> (4 * digits)) > 0;)
        ++digits;
    return digits;
}

std::int64_t FileViewModel::hexByteAt(TextPosition p) const {
    const int digits = hexOffsetDigits();
    // Past a row's last character is the next row's first byte, where a search goes on.
    std::int64_t k = 0;
    if (p.column >= digits + 51)
        k = std::min<std::int64_t>(p.column - (digits + 51), hexBytesPerLine);
    else if (p.column >= digits + 2)
        k = std::min<std::int64_t>((p.column - digits - 2) / 3, hexBytesPerLine - 1);
    return p.line * hexBytesPerLine + k;
}

QByteArray FileViewModel::hexLine(std::int64_t line) {
    const std::int64_t start = line * hexBytesPerLine;
    if (line < 0 || start >= fileSize()) return {};
    const int digits = hexOffsetDigits();
    const int chars = digits + 51;
    QByteArray out(digits + 67, ' ');
    for (int i = 0; i < digits; ++i)
        out[digits - 1 - i] = hexDigit(int(start >> (4 * i)));
    for (int k = 0; k < hexBytesPerLine; ++k) {
        const int b = cache_.byteAt(start + k);
        if (b < 0) break;
        out[digits + 2 + 3 * k] = hexDigit(b >> 4);
        out[digits + 3 + 3 * k] = hexDigit(b);
        const bool dot =
            b == 0 || (b == '\t' && expandTabs) || (filterChars && (b < 32 || b >= 128));
        out[chars + k] = dot ? '.' : char(b);
    }
    return out;
}

QByteArray FileViewModel::lineText(std::int64_t line) {
    checkGeneration();
    if (line == bufferLine_ && bufferHex_ == hexMode_ && bufferGeneration_ == generation_)
        return buffer_;
    // A change of the file noticed while reading: read again from what the file now is.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::uint64_t generation = cache_.generation();
        QByteArray text = hexMode_ ? hexLine(line) : readLine(line);
        if (generation != cache_.generation()) {
            checkGeneration();
            continue;
        }
        bufferLine_ = line;
        bufferHex_ = hexMode_;
        bufferGeneration_ = generation_;
        buffer_ = text;
        return text;
    }
    return {};
}

QByteArray FileViewModel::readLine(std::int64_t line) {
    std::int64_t p = lineStart(line);
    if (p < 0) return {};
    QByteArray text;
    text.reserve(64);
    while (text.size() < maxLineLength) {
        const PageCache::Span span = cache_.spanAt(p);
        if (span.length == 0) break;
        const char* from = span.data + (p - span.start);
        const std::int64_t room =
            std::min<std::int64_t>(span.end() - p, maxLineLength - text.size());
        const char* end = from;
        while (end < from + room && *end != '\n' && *end != '\r')
            ++end;
        text.append(from, qsizetype(end - from));
        if (end < from + room) break;
        p += room;
    }
    return text;
}

std::int64_t FileViewModel::countLineStarts(std::int64_t from, std::int64_t to) {
    if (to <= from) return 0;
    return walkForward(from, noLimit, to).found;
}

std::int64_t FileViewModel::findBytes(QByteArrayView text, std::int64_t from, bool backward,
                                      bool matchCase) {
    const std::int64_t length = text.size();
    const std::int64_t size = fileSize();
    if (length == 0 || length > size) return -1;
    QByteArray needle = text.toByteArray();
    if (!matchCase)
        for (char& c : needle)
            c = foldAscii(c);
    // A window of the bytes of one page with the neighbouring page's length − 1 bytes, so that
    // a match across pages is seen whole.
    std::vector<char> window;
    window.reserve(std::size_t(PageCache::pageSize + length));
    const auto append = [&](const PageCache::Span& span, std::int64_t from, std::int64_t to,
                            bool atFront) {
        const char* first = span.data + (from - span.start);
        const auto at =
            window.insert(atFront ? window.begin() : window.end(), first, first + (to - from));
        if (!matchCase) std::transform(at, at + (to - from), at, foldAscii);
    };
    if (!backward) {
        std::int64_t p = std::max<std::int64_t>(from, 0);
        std::int64_t windowStart = p;
        while (p < fileSize()) {
            const PageCache::Span span = cache_.spanAt(p, scanAhead);
            if (span.length == 0) break;
            append(span, p, span.end(), false);
            p = span.end();
            if (std::int64_t(window.size()) >= length) {
                const void* hit =
                    memmem(window.data(), window.size(), needle.constData(), std::size_t(length));
                if (hit) return windowStart + (static_cast<const char*>(hit) - window.data());
                const std::size_t keep = std::size_t(length - 1);
                window.erase(window.begin(), window.end() - std::ptrdiff_t(keep));
                windowStart = p - std::int64_t(keep);
            }
        }
        return -1;
    }
    // Backward: the last match that starts before from, so it ends by from + length − 1.
    std::int64_t p = std::min(from + length - 1, fileSize());
    std::int64_t windowStart = p;
    while (p > 0) {
        const PageCache::Span span = cache_.spanAt(p - 1, -scanAhead);
        if (span.length == 0) break;
        const std::int64_t to = std::min(p, span.end());
        append(span, span.start, to, true);
        p = span.start;
        windowStart = p;
        const std::int64_t last = std::int64_t(window.size()) - length;
        for (std::int64_t i = std::min(last, from - 1 - windowStart); i >= 0; --i)
            if (window[std::size_t(i)] == needle[0] &&
                std::memcmp(window.data() + i, needle.constData(), std::size_t(length)) == 0)
                return windowStart + i;
        if (std::int64_t(window.size()) > length - 1) window.resize(std::size_t(length - 1));
    }
    return -1;
}

std::optional<TextRange> FileViewModel::textMatch(QByteArrayView text, std::int64_t from,
                                                  bool backward, bool matchCase,
                                                  std::int64_t knownLine, std::int64_t knownStart) {
    // A match never spans a line end.
    if (text.contains('\n') || text.contains('\r')) return std::nullopt;
    const std::int64_t length = text.size();
    for (;;) {
        const std::int64_t m = findBytes(text, from, backward, matchCase);
        if (m < 0) return std::nullopt;
        // Its line's start, looked for only as far back as a shown line reaches.
        std::int64_t start = -1;
        const std::int64_t lowest = std::max<std::int64_t>(0, m + length - maxLineLength - 1);
        for (std::int64_t q = m - 1; q >= lowest; --q) {
            const int b = cache_.byteAt(q);
            if (b == '\n' || b == '\r') {
                start = q + 1;
                break;
            }
        }
        if (start < 0 && lowest == 0 && m + length <= maxLineLength) start = 0;
        if (start >= 0) {
            const std::int64_t line = start >= knownStart
                                          ? knownLine + countLineStarts(knownStart, start)
                                          : knownLine - countLineStarts(start, knownStart);
            return TextRange{{line, m - start}, {line, m - start + length}};
        }
        // Past the cut of a long line: look on.
        from = backward ? m : m + 1;
    }
}

std::optional<TextRange> FileViewModel::hexMatch(std::int64_t offset, std::int64_t length) const {
    if (offset < 0) return std::nullopt;
    // The matched bytes in the character column.
    const std::int64_t last = offset + length - 1;
    const int chars = hexCharColumn();
    return TextRange{{offset / hexBytesPerLine, chars + offset % hexBytesPerLine},
                     {last / hexBytesPerLine, chars + 1 + last % hexBytesPerLine}};
}

std::optional<TextRange> FileViewModel::find(QByteArrayView text, TextPosition from, bool backward,
                                             bool matchCase) {
    if (!isOpen() || text.isEmpty() || !hasLines()) return std::nullopt;
    if (hexMode_)
        return hexMatch(findBytes(text, hexByteAt(from), backward, matchCase), text.size());
    const std::int64_t start = lineStart(from.line);
    if (start < 0) return std::nullopt;
    const std::int64_t column =
        std::clamp<std::int64_t>(from.column, 0, lineText(from.line).size());
    return textMatch(text, start + column, backward, matchCase, from.line, start);
}

std::optional<TextRange> FileViewModel::findInWholeFile(QByteArrayView text, bool backward,
                                                        bool matchCase) {
    if (!isOpen() || text.isEmpty() || !hasLines()) return std::nullopt;
    if (hexMode_)
        return hexMatch(findBytes(text, backward ? fileSize() : 0, backward, matchCase),
                        text.size());
    if (!backward) return textMatch(text, 0, false, matchCase, 0, 0);
    const std::int64_t lines = scanToEnd();
    const std::int64_t lastStart = lineStart(lines - 1);
    return textMatch(text, fileSize(), true, matchCase, lines - 1, lastStart);
}

TextRange FileViewModel::wholeFile() {
    if (!isOpen() || !hasLines()) return {};
    const std::int64_t last = scanToEnd() - 1;
    return {{0, 0}, {last, lineText(last).size()}};
}

std::optional<QByteArray> FileViewModel::rangeText(const TextRange& range, std::int64_t limit) {
    const TextRange r = range.end < range.start ? TextRange{range.end, range.start} : range;
    const auto piece = [&](std::int64_t line) {
        const QByteArray text = lineText(line);
        const std::int64_t from =
            line == r.start.line ? std::clamp<std::int64_t>(r.start.column, 0, text.size()) : 0;
        const std::int64_t to = line == r.end.line
                                    ? std::clamp<std::int64_t>(r.end.column, from, text.size())
                                    : text.size();
        return std::pair{from, to};
    };
    // Measured first, and given up as soon as it is too long.
    std::int64_t total = 0;
    for (std::int64_t line = r.start.line; line <= r.end.line; ++line) {
        const auto [from, to] = piece(line);
        total += to - from + (line > r.start.line ? 1 : 0);
        if (total > limit) return std::nullopt;
        if (line < r.end.line && !lineExists(line + 1)) break;
    }
    QByteArray out;
    out.reserve(qsizetype(total));
    for (std::int64_t line = r.start.line; line <= r.end.line; ++line) {
        if (line > r.start.line) {
            if (!lineExists(line)) break;
            out.append('\n');
        }
        const auto [from, to] = piece(line);
        out.append(lineText(line).mid(qsizetype(from), qsizetype(to - from)));
    }
    return out;
}

}  // namespace rk
