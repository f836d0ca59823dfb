#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <optional>

#include "ui/Services.h"
#include "viewer/FileViewModel.h"
#include "viewer/LineCells.h"

namespace rk {

// The file view control: one file of any size, read-only, as text lines or hex lines in a
// fixed-pitch font, with a caret, selection, search and copying. It reads through its model,
// which never holds the file.
//
// Painting never raises: when the file cannot be read (or any operation fails) the file is
// closed and the error is shown once, after the event in which it happened.
class FileView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit FileView(const Services& services, QWidget* parent = nullptr);

    [[nodiscard]] FileViewModel& model() { return model_; }

    // The exact path bytes; assigning it while open closes the file.
    void setFileName(const QByteArray& path);
    [[nodiscard]] const QByteArray& fileName() const { return fileName_; }
    // Opens the file named; raises ViewerError (the view stays closed) when it cannot.
    void openFile();
    void closeFile();
    [[nodiscard]] bool isOpen() const { return model_.isOpen(); }

    [[nodiscard]] bool inHexMode() const { return model_.hexMode(); }
    void setInHexMode(bool on);
    [[nodiscard]] bool expandTabs() const { return model_.expandTabs; }
    void setExpandTabs(bool on);
    [[nodiscard]] int tabSize() const { return model_.tabSize(); }
    void setTabSize(int size);  // 0 is ignored
    [[nodiscard]] const QFont& fixedFont() const { return font_; }
    // Raises Error for a font that is not fixed-pitch.
    void setFixedFont(const QFont& font);
    [[nodiscard]] static bool isFixedPitch(const QFont& font);
    QColor highlightBackground;
    QColor highlightText;

    [[nodiscard]] std::optional<std::int64_t> lineCount();
    [[nodiscard]] bool hasLines() { return isOpen() && model_.hasLines(); }
    [[nodiscard]] std::int64_t topLine() const { return top_; }
    [[nodiscard]] TextPosition caretPosition() const { return caret_; }
    // The caret's column on screen (cells, tabs expanded).
    [[nodiscard]] int caretCell();
    [[nodiscard]] TextRange selectionRange() const;
    [[nodiscard]] std::int64_t fileSize() const { return model_.fileSize(); }

    void moveCaret(std::int64_t line, std::int64_t column);
    void selectWholeFile(bool caretAtEnd);
    // Puts the selection on the clipboard; a selection over the limit is refused with a
    // message before anything is read into memory.
    void copySelection();
    // Selects the match and moves the caret to its end (forward) or start (backward).
    bool findText(const QString& text, bool backward, bool matchCase, bool wholeFile);
    // The line as printed: tabs expanded whatever expandTabs says, cut to length.
    [[nodiscard]] QString printableLine(std::int64_t line, int length);
    [[nodiscard]] QString lineShown(std::int64_t line);

    [[nodiscard]] int visibleLines() const;

    static constexpr std::int64_t clipboardLimit = 65520;

signals:
    // After every caret move: the caret's line and its column on screen.
    void showStatus(qint64 line, qint64 column);
    // After the file was closed because it could not be read.
    void fileFailed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    Services services_;
    template <typename F>
    bool guarded(F&& work);
    void failed(const QString& message);
    void noticeShrink();
    [[nodiscard]] LineCells cellsOf(std::int64_t line);
    [[nodiscard]] CellRules rules() const;
    void setCaret(TextPosition p, bool extend);
    void ensureCaretVisible();
    void setTop(std::int64_t line);
    void updateScrollBars();
    [[nodiscard]] TextPosition positionAt(const QPoint& point);
    [[nodiscard]] std::int64_t lastLineKnown();
    [[nodiscard]] qreal charWidth() const;
    [[nodiscard]] int lineHeight() const;
    void reset();
    // After painting: when a scan gave up for its slice, paint again soon to go on with it.
    void continueScan();

    FileViewModel model_;
    QByteArray fileName_;
    QFont font_;
    std::int64_t top_ = 0;
    int left_ = 0;  // first cell shown
    TextPosition caret_;
    TextPosition anchor_;  // the selection's other end
    int wantedCell_ = 0;   // the column up and down keep
    int widest_ = 0;
    bool settingScroll_ = false;
    bool errorQueued_ = false;
    bool shrinkQueued_ = false;
};

}  // namespace rk
