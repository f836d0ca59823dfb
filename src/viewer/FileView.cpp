#include "viewer/FileView.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "common/Errors.h"
#include "common/TextHelpers.h"
#include "ui/Services.h"
#include "ui/WaitCursor.h"

namespace rk {

namespace {

// The scroll bar's range is at most this; longer files are scaled to it.
constexpr std::int64_t scrollSteps = std::int64_t(1) << 30;
// What painting or one key may scan into lines not yet known, so that a file without line
// ends never freezes the window; the scan goes on after the event.
constexpr std::int64_t interactiveSlice = 8 << 20;

// The slice for as long as this lives.
class SliceScope {
public:
    explicit SliceScope(FileViewModel& model) : model_(model) {
        model_.scanSlice = interactiveSlice;
    }
    ~SliceScope() { model_.scanSlice = 0; }
    SliceScope(const SliceScope&) = delete;
    SliceScope& operator=(const SliceScope&) = delete;

private:
    FileViewModel& model_;
};

}  // namespace

FileView::FileView(const Services& services, QWidget* parent)
    : QAbstractScrollArea(parent), services_(services) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    viewport()->setFont(font_);
    highlightBackground = palette().color(QPalette::Highlight);
    highlightText = palette().color(QPalette::HighlightedText);
    viewport()->setCursor(Qt::IBeamCursor);
    updateScrollBars();
}

template <typename F>
bool FileView::guarded(F&& work) {
    try {
        work();
        noticeShrink();
        return true;
    } catch (const Error& e) {
        failed(e.message());
    } catch (const std::exception& e) {
        failed(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void FileView::failed(const QString& message) {
    // Closed at once, so no later paint reads again; told once, after this event.
    model_.close();
    reset();
    if (errorQueued_) return;
    errorQueued_ = true;
    QTimer::singleShot(0, this, [this, message] {
        errorQueued_ = false;
        services_.showError(message);
        emit fileFailed();
    });
}

void FileView::noticeShrink() {
    // What was shown may no longer be in the file: said once, after this event.
    if (!model_.takeShrink() || shrinkQueued_) return;
    shrinkQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        shrinkQueued_ = false;
        services_.showMessage(
            MessageKind::Warning,
            displayPath(fileName_) + QStringLiteral(" changed while it was read."));
    });
}

void FileView::reset() {
    top_ = 0;
    left_ = 0;
    caret_ = anchor_ = {};
    wantedCell_ = 0;
    widest_ = 0;
    updateScrollBars();
    viewport()->update();
}

void FileView::setFileName(const QByteArray& path) {
    if (isOpen()) closeFile();
    fileName_ = path;
}

void FileView::openFile() {
    WaitCursor wait;
    closeFile();
    if (fileName_.isEmpty()) return;
    model_.open(fileName_);
    reset();
    emit showStatus(0, 0);
}

void FileView::closeFile() {
    model_.close();
    reset();
}

void FileView::setInHexMode(bool on) {
    if (on == inHexMode()) return;
    guarded([&] {
        // Into hex the caret stays on the same byte.
        std::int64_t offset = 0;
        if (isOpen()) {
            offset = on ? std::max<std::int64_t>(0, model_.lineStart(caret_.line)) + caret_.column
                        : model_.hexByteAt(caret_);
        }
        model_.setHexMode(on);
        widest_ = 0;
        caret_ = anchor_ = {};
        if (isOpen() && model_.hasLines()) {
            if (on) {
                caret_ = {offset / FileViewModel::hexBytesPerLine,
                          model_.hexOffsetDigits() + 2 + 3 * (offset % 16)};
            } else {
                // Finding the text line of a hex offset may mean counting lines over the whole
                // file: the caret goes back to the top instead.
                caret_ = {0, 0};
            }
            anchor_ = caret_;
        }
        top_ = 0;
        ensureCaretVisible();
        updateScrollBars();
        emit showStatus(caret_.line, caretCell());
    });
    viewport()->update();
}

void FileView::setExpandTabs(bool on) {
    model_.expandTabs = on;
    viewport()->update();
}

void FileView::setTabSize(int size) {
    model_.setTabSize(size);
    viewport()->update();
}

bool FileView::isFixedPitch(const QFont& font) {
    if (QFontInfo(font).fixedPitch()) return true;
    const QFontMetrics m(font);
    return m.horizontalAdvance(QLatin1Char('i')) == m.horizontalAdvance(QLatin1Char('W'));
}

void FileView::setFixedFont(const QFont& font) {
    if (!isFixedPitch(font))
        throw Error(QStringLiteral("Invalid font assignment. Font must be a fixed font"));
    font_ = font;
    viewport()->setFont(font_);
    updateScrollBars();
    viewport()->update();
}

std::optional<std::int64_t> FileView::lineCount() {
    if (!isOpen()) return 0;
    std::optional<std::int64_t> n;
    guarded([&] { n = model_.lineCount(); });
    return isOpen() ? n : 0;
}

// A cell's width as the font advances it, fractions included: runs of text are drawn whole,
// and rounding here would move them off the cells the selection and caret are drawn on.
qreal FileView::charWidth() const {
    return std::max<qreal>(1, QFontMetricsF(font_).horizontalAdvance(QLatin1Char('M')));
}

int FileView::lineHeight() const {
    return std::max(1, QFontMetrics(font_).lineSpacing());
}

int FileView::visibleLines() const {
    return std::max(1, viewport()->height() / lineHeight());
}

CellRules FileView::rules() const {
    CellRules r;
    r.utf8 = !inHexMode();
    r.expandTabs = !inHexMode() && model_.expandTabs;
    r.tabSize = model_.tabSize();
    return r;
}

LineCells FileView::cellsOf(std::int64_t line) {
    return lineCells(model_.lineText(line), rules());
}

QString FileView::lineShown(std::int64_t line) {
    QString text;
    guarded([&] { text = cellsOf(line).text; });
    return text;
}

int FileView::caretCell() {
    int cell = 0;
    guarded([&] { cell = cellsOf(caret_.line).cellOf(caret_.column); });
    return cell;
}

TextRange FileView::selectionRange() const {
    return anchor_ < caret_ ? TextRange{anchor_, caret_} : TextRange{caret_, anchor_};
}

std::int64_t FileView::lastLineKnown() {
    return std::max<std::int64_t>(0, model_.knownLineCount() - 1);
}

void FileView::setCaret(TextPosition p, bool extend) {
    caret_ = p;
    if (!extend) anchor_ = p;
    model_.noteCaretLine(p.line);
    ensureCaretVisible();
    viewport()->update();
    emit showStatus(caret_.line, caretCell());
}

void FileView::ensureCaretVisible() {
    const int rows = visibleLines();
    if (caret_.line < top_)
        top_ = caret_.line;
    else if (caret_.line >= top_ + rows)
        top_ = caret_.line - rows + 1;
    const int cell = cellsOf(caret_.line).cellOf(caret_.column);
    const int columns = std::max(1, int(viewport()->width() / charWidth()));
    if (cell < left_)
        left_ = cell;
    else if (cell >= left_ + columns)
        left_ = cell - columns + 1;
    widest_ = std::max(widest_, cell + 1);
    updateScrollBars();
}

void FileView::setTop(std::int64_t line) {
    guarded([&] {
        line = std::max<std::int64_t>(0, line);
        const std::optional<std::int64_t> count = model_.lineCount();
        if (count)
            line = std::min(line, std::max<std::int64_t>(0, *count - visibleLines()));
        else if (!model_.lineExists(line))
            line = std::max<std::int64_t>(0, model_.scanToEnd() - visibleLines());
        top_ = line;
        updateScrollBars();
    });
    viewport()->update();
    // The header shows the top line too.
    if (isOpen()) emit showStatus(caret_.line, caretCell());
}

void FileView::updateScrollBars() {
    const int rows = visibleLines();
    std::int64_t total = 0;
    if (isOpen()) {
        // Until the end is known the bar reaches a screen past the furthest line seen.
        const std::optional<std::int64_t> count = model_.lineCount();
        total = count ? *count : model_.knownLineCount() + 2 * rows;
    }
    const std::int64_t maxTop = std::max<std::int64_t>(0, total - rows);
    const bool scaled = maxTop > scrollSteps;
    const std::int64_t range = scaled ? scrollSteps : maxTop;
    const std::int64_t value =
        scaled ? std::int64_t((__int128(top_) * scrollSteps) / maxTop) : std::min(top_, maxTop);
    settingScroll_ = true;
    verticalScrollBar()->setRange(0, int(range));
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setValue(int(value));
    const int columns = std::max(1, int(viewport()->width() / charWidth()));
    const int wide = inHexMode() && isOpen() ? model_.hexLineLength() : widest_;
    horizontalScrollBar()->setRange(0, std::max(0, std::max(wide, left_ + 1) - columns));
    horizontalScrollBar()->setPageStep(columns);
    horizontalScrollBar()->setValue(left_);
    settingScroll_ = false;
}

void FileView::scrollContentsBy(int, int) {
    if (settingScroll_) return;
    const SliceScope slice(model_);
    left_ = horizontalScrollBar()->value();
    const std::int64_t value = verticalScrollBar()->value();
    const std::int64_t range = verticalScrollBar()->maximum();
    std::int64_t line = value;
    if (range == scrollSteps) {
        guarded([&] {
            const std::int64_t maxTop =
                std::max<std::int64_t>(0, model_.knownLineCount() - visibleLines());
            line = std::int64_t((__int128(value) * maxTop) / scrollSteps);
        });
    }
    if (line != top_) setTop(line);
    viewport()->update();
}

void FileView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    guarded([&] { updateScrollBars(); });
}

void FileView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    if (!isOpen()) return;
    painter.setFont(font_);
    const qreal w = charWidth();
    const int h = lineHeight();
    const int ascent = QFontMetrics(font_).ascent();
    const TextRange sel = selectionRange();
    const QColor ink = palette().color(QPalette::Text);
    const SliceScope slice(model_);
    guarded([&] {
        const int rows = visibleLines() + 1;
        const int columns = int(viewport()->width() / w);
        for (int r = 0; r < rows; ++r) {
            const std::int64_t line = top_ + r;
            if (!model_.lineExists(line)) break;
            const LineCells cells = cellsOf(line);
            widest_ = std::max(widest_, cells.cellCount());
            // The selected cells of this line.
            int selFrom = 0, selTo = 0;
            if (!sel.isEmpty() && line >= sel.start.line && line <= sel.end.line) {
                selFrom = line == sel.start.line ? cells.cellOf(sel.start.column) : 0;
                selTo = line == sel.end.line ? cells.cellOf(sel.end.column) : cells.cellCount() + 1;
            }
            const int y = r * h;
            const auto run = [&](int from, int to, bool selected) {
                from = std::max(from, left_);
                if (to <= from) return;
                const QRectF box((from - left_) * w, y, (to - from) * w, h);
                if (selected) painter.fillRect(box, highlightBackground);
                painter.setPen(selected ? highlightText : ink);
                const int end = std::min({to, cells.cellCount(), left_ + columns + 1});
                // ASCII runs in one call (a fixed-pitch font keeps them on the cell grid);
                // any other character in a cell of its own, so a wider glyph shifts nothing.
                for (int c = from; c < end;) {
                    int next = c + 1;
                    if (cells.text[c].unicode() < 0x80)
                        while (next < end && cells.text[next].unicode() < 0x80)
                            ++next;
                    painter.drawText(QPointF((c - left_) * w, y + ascent),
                                     QString(cells.text.constData() + c, next - c));
                    c = next;
                }
            };
            run(0, selFrom, false);
            run(selFrom, selTo, true);
            run(selTo, cells.cellCount(), false);
            if (line == caret_.line && hasFocus()) {
                const qreal x = (cells.cellOf(caret_.column) - left_) * w;
                painter.fillRect(QRectF(x, y, 2, h), ink);
            }
        }
    });
    continueScan();
}

void FileView::continueScan() {
    if (!model_.takePending()) return;
    QTimer::singleShot(0, this, [this] {
        viewport()->update();
        updateScrollBars();
        // The end found: the status shows the count.
        if (model_.lineCount()) emit showStatus(caret_.line, caretCell());
    });
}

TextPosition FileView::positionAt(const QPoint& point) {
    const std::int64_t line =
        std::min(top_ + std::max(0, point.y()) / lineHeight(), lastLineKnown());
    const LineCells cells = cellsOf(line);
    const int cell = left_ + int((std::max(0, point.x()) + charWidth() / 2) / charWidth());
    return {line, cell >= cells.cellCount() ? std::int64_t(model_.lineText(line).size())
                                            : cells.columnOf(cell)};
}

void FileView::mousePressEvent(QMouseEvent* event) {
    if (!hasLines() || event->button() != Qt::LeftButton) return;
    guarded([&] {
        const TextPosition p = positionAt(event->position().toPoint());
        wantedCell_ = cellsOf(p.line).cellOf(p.column);
        setCaret(p, event->modifiers() & Qt::ShiftModifier);
    });
}

void FileView::mouseMoveEvent(QMouseEvent* event) {
    if (!hasLines() || !(event->buttons() & Qt::LeftButton)) return;
    guarded([&] { setCaret(positionAt(event->position().toPoint()), true); });
}

void FileView::wheelEvent(QWheelEvent* event) {
    const SliceScope slice(model_);
    const int steps = event->angleDelta().y() / 40;
    if (steps != 0 && isOpen()) setTop(top_ - steps);
}

void FileView::keyPressEvent(QKeyEvent* event) {
    if (!hasLines()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const SliceScope slice(model_);
    guarded([&] {
        TextPosition p = caret_;
        const auto lineLength = [&](std::int64_t line) {
            return std::int64_t(model_.lineText(line).size());
        };
        const auto toWanted = [&](std::int64_t line) {
            const LineCells cells = cellsOf(line);
            return TextPosition{line, wantedCell_ >= cells.cellCount()
                                          ? lineLength(line)
                                          : cells.columnOf(wantedCell_)};
        };
        const auto lineDown = [&](std::int64_t by) {
            const std::int64_t target = p.line + by;
            return model_.lineExists(target) ? target : model_.clampLine(target);
        };
        bool vertical = false;
        switch (event->key()) {
            case Qt::Key_Left:
                if (p.column > 0) {
                    const LineCells cells = cellsOf(p.line);
                    p.column = cells.columnOf(cells.cellOf(p.column) - 1);
                } else if (p.line > 0) {
                    p = {p.line - 1, lineLength(p.line - 1)};
                }
                break;
            case Qt::Key_Right:
                if (p.column < lineLength(p.line)) {
                    // The next cell that stands for another column: a tab's cells are one.
                    const LineCells cells = cellsOf(p.line);
                    int c = cells.cellOf(p.column);
                    while (c < cells.cellCount() && cells.columnOf(c) <= p.column)
                        ++c;
                    p.column = c >= cells.cellCount() ? lineLength(p.line) : cells.columnOf(c);
                } else if (model_.lineExists(p.line + 1)) {
                    p = {p.line + 1, 0};
                }
                break;
            case Qt::Key_Up:
                p = toWanted(std::max<std::int64_t>(0, p.line - 1));
                vertical = true;
                break;
            case Qt::Key_Down:
                p = toWanted(lineDown(1));
                vertical = true;
                break;
            case Qt::Key_PageUp:
                top_ = std::max<std::int64_t>(0, top_ - visibleLines());
                p = toWanted(std::max<std::int64_t>(0, p.line - visibleLines()));
                vertical = true;
                break;
            case Qt::Key_PageDown:
                p = toWanted(lineDown(visibleLines()));
                if (model_.lineExists(top_ + visibleLines())) top_ += visibleLines();
                vertical = true;
                break;
            case Qt::Key_Home:
                p = control ? TextPosition{} : TextPosition{p.line, 0};
                break;
            case Qt::Key_End:
                if (control) {
                    WaitCursor wait;
                    model_.scanSlice = 0;
                    p.line = std::max<std::int64_t>(0, model_.scanToEnd() - 1);
                }
                p.column = lineLength(p.line);
                break;
            default:
                QAbstractScrollArea::keyPressEvent(event);
                return;
        }
        if (!vertical) wantedCell_ = cellsOf(p.line).cellOf(p.column);
        setCaret(p, extend);
    });
}

void FileView::moveCaret(std::int64_t line, std::int64_t column) {
    if (!hasLines()) return;
    guarded([&] {
        WaitCursor wait;
        const std::int64_t l = model_.clampLine(line);
        if (l < 0) return;
        const TextPosition p{l, std::clamp<std::int64_t>(column, 0, model_.lineText(l).size())};
        wantedCell_ = cellsOf(p.line).cellOf(p.column);
        setCaret(p, false);
    });
}

void FileView::selectWholeFile(bool caretAtEnd) {
    if (!hasLines()) return;
    guarded([&] {
        WaitCursor wait;
        const TextRange all = model_.wholeFile();
        if (caretAtEnd) {
            anchor_ = all.start;
            setCaret(all.end, true);
        } else {
            anchor_ = all.end;
            setCaret(all.start, true);
        }
    });
}

void FileView::copySelection() {
    const TextRange range = selectionRange();
    if (!isOpen() || range.isEmpty()) return;
    guarded([&] {
        std::optional<QByteArray> bytes;
        {
            WaitCursor wait;
            bytes = model_.rangeText(range, clipboardLimit);
        }
        if (!bytes) {
            services_.showError(QStringLiteral("Region is too large to copy to clipboard (> 64K)"));
            return;
        }
        CellRules r = rules();
        r.expandTabs = false;
        r.placeholders = false;
        QGuiApplication::clipboard()->setText(lineCells(*bytes, r).text);
    });
}

bool FileView::findText(const QString& text, bool backward, bool matchCase, bool wholeFile) {
    if (!hasLines() || text.isEmpty()) return false;
    bool found = false;
    guarded([&] {
        WaitCursor wait;
        const QByteArray needle = text.toUtf8();
        const std::optional<TextRange> r = wholeFile
                                               ? model_.findInWholeFile(needle, backward, matchCase)
                                               : model_.find(needle, caret_, backward, matchCase);
        if (!r) return;
        found = true;
        anchor_ = backward ? r->end : r->start;
        setCaret(backward ? r->start : r->end, true);
        wantedCell_ = cellsOf(caret_.line).cellOf(caret_.column);
    });
    return found;
}

QString FileView::printableLine(std::int64_t line, int length) {
    QString text;
    guarded([&] {
        CellRules r = rules();
        r.expandTabs = !inHexMode();
        text = lineCells(model_.lineText(line), r).text.left(length);
    });
    return text;
}

}  // namespace rk
