#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "Controls.h"
#include "MemoryFile.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "TestServices.h"
#include "viewer/FileView.h"
#include "viewer/TfrmView.h"

namespace rk {
namespace {

using test::scriptedDialogs;

class TfrmViewTest : public ::testing::Test {
protected:
    void TearDown() override {
        window.reset();
        setViewedFileOpener(nullptr);
    }
    TfrmView& open(const QByteArray& name, const QByteArray& content) {
        return openPath(tree.file(name, content));
    }
    TfrmView& openPath(const QByteArray& path) {
        window = std::make_unique<TfrmView>(installed.services());
        window->fileToView = path;
        window->show();
        return *window;
    }
    QString header(int i) const { return window->headerSections[std::size_t(i)]->text(); }
    // Answers the find dialog when it next opens.
    static void answerFind(const QString& text, bool backward = false, bool whole = false) {
        QTimer::singleShot(0, [=] {
            TFindDlg& f = FindDlg();
            f.Edit1->setText(text);
            (backward ? f.RadioButton2 : f.RadioButton1)->setChecked(true);
            f.CheckBox2->setChecked(whole);
            f.accept();
        });
    }
    QByteArray lines(int n) {
        QByteArray b;
        for (int i = 1; i <= n; ++i)
            b += "line " + QByteArray::number(i) + "\n";
        return b;
    }

    test::TempTree tree;
    test::TestServices installed;
    std::unique_ptr<TfrmView> window;
};

TEST_F(TfrmViewTest, AnEmptyFileOffersNothingToDo) {
    TfrmView& w = open("empty", "");
    EXPECT_EQ(w.windowTitle(), "View File : " + QString::fromLocal8Bit(tree.path("empty")));
    w.File1Click();
    w.Search1Click();
    w.Clipboard1Click();
    for (QAction* a : {test::control<QAction>(w, "Print1"), test::control<QAction>(w, "Find1"),
                       test::control<QAction>(w, "GotoLine1"),
                       test::control<QAction>(w, "SelectAll1"), test::control<QAction>(w, "Copy1")})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(header(1), "Total: 0");
    EXPECT_EQ(header(3), "Bytes: 0");
    w.SelectAll1Click();
    w.GotoLine1Click();
    EXPECT_TRUE(scriptedDialogs().prompts.isEmpty());
}

TEST_F(TfrmViewTest, FilesThatCannotBeShownCloseTheWindow) {
    const QByteArray fifo = tree.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    for (const auto& [path, message] :
         {std::pair{tree.path("missing"), "Viewer: file not found"},
          std::pair{tree.dir("folder"), "Viewer: path not found or invalid file name"},
          std::pair{fifo, "Viewer: path not found or invalid file name"}}) {
        scriptedDialogs().clear();
        TfrmView w(installed.services());
        w.fileToView = path;
        EXPECT_EQ(w.exec(), QDialog::Rejected);
        EXPECT_EQ(scriptedDialogs().texts(), QStringList{message});
    }
}

TEST_F(TfrmViewTest, GoToLineKeepsWithinTheFile) {
    TfrmView& w = open("fifty", lines(50));
    EXPECT_EQ(header(1), "Total: ?");
    const struct {
        const char* typed;
        qint64 line;
    } cases[] = {{"7", 6},
                 {"0", 0},
                 {"-5", 0},
                 {"x", 0},
                 {"999", 49},
                 {"3", 2},
                 {"99999999999999999999999", 49}};
    for (const auto& c : cases) {
        scriptedDialogs().answerInput(QString::fromLatin1(c.typed));
        w.GotoLine1Click();
        EXPECT_EQ(w.Viewer1->caretPosition().line, c.line) << c.typed;
    }
    EXPECT_EQ(scriptedDialogs().prompts.first(), "Enter line number (1 to ?)");
    EXPECT_EQ(scriptedDialogs().prompts.last(), "Enter line number (1 to 50)");
    EXPECT_EQ(header(1), "Total: 50");
    EXPECT_EQ(header(0), "50:1    ");
}

TEST_F(TfrmViewTest, TabSizesAndFonts) {
    TfrmView& w = open("tabs", "\tx\n");
    for (const auto& [typed, size] : {std::pair{"260", 4}, std::pair{"0", 4}, std::pair{"x", 4},
                                      std::pair{"255", 255}, std::pair{"3", 3}}) {
        scriptedDialogs().answerInput(QString::fromLatin1(typed));
        w.TabSize1Click();
        EXPECT_EQ(w.Viewer1->tabSize(), size) << typed;
    }
    EXPECT_EQ(w.Viewer1->printableLine(0, 1024), "   x");
    // Only a fixed-pitch font is taken.
    scriptedDialogs().fontAnswer = QFont("DejaVu Sans", 12);
    w.Font1Click();
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList{"Invalid font assignment. Font must be a fixed font"});
    scriptedDialogs().fontAnswer = QFont("DejaVu Sans Mono", 13);
    w.Font1Click();
    EXPECT_EQ(w.Viewer1->fixedFont().family(), "DejaVu Sans Mono");
    // The widest line there is: 1,023 tabs of 255 cells each, printed cut to 1,024.
    TfrmView& wide = open("wide", QByteArray(1023, '\t') + "\n");
    scriptedDialogs().answerInput("255");
    wide.TabSize1Click();
    EXPECT_EQ(wide.Viewer1->printableLine(0, 1024), QString(1024, ' '));
    EXPECT_EQ(wide.Viewer1->lineShown(0).size(), 1023 * 255);
}

TEST_F(TfrmViewTest, CopyAndSelectAll) {
    QGuiApplication::clipboard()->setText("before");
    TfrmView& w = open("one", "just one line");
    w.SelectAll1Click();
    w.Clipboard1Click();
    ASSERT_TRUE(test::control<QAction>(w, "Copy1")->isEnabled());
    w.Copy1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "just one line");

    // 65,520 bytes go; one more is refused before anything is read, and the clipboard stays.
    const QByteArray line(1000, 'a');
    QByteArray big = (line + "\n").repeated(65);
    big += QByteArray(65520 - big.size(), 'b');
    open("limit", big + "b").SelectAll1Click();
    scriptedDialogs().clear();
    window->Copy1Click();
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList{"Region is too large to copy to clipboard (> 64K)"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "just one line");
    open("fits", big).SelectAll1Click();
    window->Copy1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text().size(), 65520);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith("a\n" + QString(455, 'b')));
}

TEST_F(TfrmViewTest, FindFindNextAndTheModes) {
    TfrmView& w = open("text", "alpha beta\nbeta gamma\nBETA\n");
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    answerFind("beta");
    QTest::keyClick(w.Viewer1, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w.Viewer1->selectionRange().start, (TextPosition{0, 6}));
    w.FindNext1Click();
    EXPECT_EQ(w.Viewer1->selectionRange().start, (TextPosition{1, 0}));
    w.FindNext1Click();
    EXPECT_EQ(w.Viewer1->selectionRange().start, (TextPosition{2, 0}));
    scriptedDialogs().clear();
    w.FindNext1Click();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Search string 'beta' not found"});
    // Selection and caret stay where they were.
    EXPECT_EQ(w.Viewer1->caretPosition(), (TextPosition{2, 4}));
    answerFind("alpha", true, true);
    w.Find1Click();
    EXPECT_EQ(w.Viewer1->caretPosition(), (TextPosition{0, 0}));

    // F3 with nothing to look for does nothing.
    FindDlg().Edit1->clear();
    w.Search1Click();
    EXPECT_FALSE(test::control<QAction>(w, "FindNext1")->isEnabled());

    // Hex by the radio button, back by the menu: all three stay in step.
    test::control<QRadioButton>(w, "rbHex")->click();
    EXPECT_TRUE(test::control<QAction>(w, "HexMode1")->isChecked());
    EXPECT_TRUE(w.Viewer1->inHexMode());
    test::control<QAction>(w, "HexMode1")->trigger();
    EXPECT_FALSE(w.Viewer1->inHexMode());
    EXPECT_TRUE(test::control<QRadioButton>(w, "rbAscii")->isChecked());
    EXPECT_FALSE(test::control<QRadioButton>(w, "rbHex")->isChecked());
}

TEST_F(TfrmViewTest, AReadErrorIsShownOnceAndClosesTheFile) {
    test::MemoryOpener opener;
    opener.add("broken", QByteArray(100000, 'x'))->failAfterReads = 0;
    setViewedFileOpener(&opener);
    TfrmView& w = openPath("broken");
    for (int i = 0; i < 3; ++i)
        w.Viewer1->viewport()->repaint();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Viewer triggered I/O error 5"});
    EXPECT_FALSE(w.Viewer1->isOpen());
    w.Search1Click();
    EXPECT_FALSE(test::control<QAction>(w, "Find1")->isEnabled());
}

TEST_F(TfrmViewTest, AFileThatShrinksIsToldOnceWhenTheViewNoticesIt) {
    test::MemoryOpener opener;
    const auto state = opener.add("log", lines(20000));  // more than the cache holds
    setViewedFileOpener(&opener);
    TfrmView& w = openPath("log");
    w.Viewer1->viewport()->repaint();
    QApplication::processEvents();
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
    state->bytes.truncate(100);
    ++state->modified;
    // The first page not yet read finds the file smaller; painting again finds nothing new.
    w.Viewer1->moveCaret(19000, 0);
    for (int i = 0; i < 3; ++i)
        w.Viewer1->viewport()->repaint();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"log changed while it was read."});
    EXPECT_TRUE(w.Viewer1->isOpen());
    EXPECT_EQ(w.Viewer1->fileSize(), 100);
}

TEST_F(TfrmViewTest, SixtyFourGiBWithoutALineEnd) {
    const QByteArray path = tree.file("sparse", QByteArray());
    ASSERT_EQ(::truncate(path.constData(), std::int64_t(64) << 30), 0);
    TfrmView& w = openPath(path);
    // Painting scans for the second line a slice at a time, between events.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    EXPECT_EQ(w.Viewer1->lineCount(), std::nullopt);
    EXPECT_EQ(header(1), "Total: ?");
    EXPECT_EQ(header(3), "Bytes: 68,719,476,736");

    // In hex, 4 Gi lines: the scroll bar is scaled, its end is the last screen.
    test::control<QRadioButton>(w, "rbHex")->click();
    const std::int64_t lines = std::int64_t(4) << 30;
    EXPECT_EQ(w.Viewer1->lineCount(), lines);
    QScrollBar* bar = w.Viewer1->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(w.Viewer1->topLine(), lines - w.Viewer1->visibleLines());
    bar->setValue(bar->maximum() / 2);
    EXPECT_NEAR(double(w.Viewer1->topLine()), double(lines) / 2, double(lines) / 1000);
    QTest::keyClick(w.Viewer1, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.Viewer1->caretPosition().line, lines - 1);
    EXPECT_TRUE(w.Viewer1->lineShown(lines - 1).startsWith("FFFFFFFF0  00"));
}

TEST_F(TfrmViewTest, ADroppedFileIsOpenedByItsExactName) {
    TfrmView& w = open("first", "first");
    const QString caption = w.windowTitle();
    const QByteArray odd = tree.file("caf\xe9 " + QByteArray(90, 'n'), QByteArray("dropped"));
    QMimeData data;
    QUrl url;
    url.setScheme("file");
    url.setPath(QString::fromLatin1(odd.toPercentEncoding("/")), QUrl::TolerantMode);
    data.setUrls({url});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    w.dropEvent(&drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(w.Viewer1->fileName(), odd);
    EXPECT_EQ(w.Viewer1->model().lineText(0), "dropped");
    EXPECT_EQ(w.windowTitle(), caption);
}

TEST_F(TfrmViewTest, PrintingAllASelectionAndAPageRange) {
    TfrmView& w = open("print", lines(200));
    QTemporaryDir dir;
    const auto printed = [&] {
        QProcess p;
        p.start("pdftotext", {"-layout", dir.filePath("out.pdf"), "-"});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    scriptedDialogs().printTo(dir.filePath("out.pdf"));
    w.Print1Click();
    EXPECT_FALSE(scriptedDialogs().selectionOffered);
    QString text = printed();
    EXPECT_TRUE(text.contains("line 1\n"));
    EXPECT_TRUE(text.contains("line 200"));
    const int pages = int(text.count(QLatin1Char('\f')));
    EXPECT_GT(pages, 1);

    scriptedDialogs().fromPage = scriptedDialogs().toPage = 2;
    w.Print1Click();
    text = printed();
    EXPECT_EQ(text.count(QLatin1Char('\f')), 1);
    EXPECT_FALSE(text.contains("line 1\n"));
    EXPECT_FALSE(text.contains("line 200"));

    // From "ne 3" to "line 4": the start's first characters become blanks.
    w.Viewer1->moveCaret(2, 2);
    QTest::keyClick(w.Viewer1, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(w.Viewer1, Qt::Key_End, Qt::ShiftModifier);
    scriptedDialogs().fromPage = 0;
    scriptedDialogs().printSelection = true;
    w.Print1Click();
    EXPECT_TRUE(scriptedDialogs().selectionOffered);
    text = printed();
    EXPECT_TRUE(text.contains("ne 3"));
    EXPECT_FALSE(text.contains("line 3"));
    EXPECT_TRUE(text.contains("line 4"));
    EXPECT_FALSE(text.contains("line 5"));
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
}

TEST_F(TfrmViewTest, ClosingTheWindowStopsAPrint) {
    TfrmView& w = open("long", lines(300000));
    QTemporaryDir dir;
    scriptedDialogs().printTo(dir.filePath("out.pdf"));
    QTimer::singleShot(0, &w, [&] { test::control<QPushButton>(w, "btClose")->click(); });
    w.Print1Click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(scriptedDialogs().texts().isEmpty());
}

TEST_F(TfrmViewTest, TheStringsWindowListsAndCounts) {
    TfrmView& w = open("bin", QByteArray("first string\0ab\x01second one\0", 27));
    TfrmStrings strings(installed.services());
    strings.fileToScan = w.fileToView;
    strings.show();
    EXPECT_EQ(strings.Memo1->toPlainText(), "first string\nsecond one");
    EXPECT_EQ(test::control<QLabel>(strings, "lblCount")->text(), "2");
    TfrmStrings missing(installed.services());
    missing.fileToScan = tree.path("none");
    missing.show();
    EXPECT_EQ(scriptedDialogs().texts(),
              QStringList{"Could not open file " + QString::fromLocal8Bit(tree.path("none"))});
    EXPECT_EQ(test::control<QLabel>(missing, "lblCount")->text(), "0");
    // A device would never end: it is refused like a missing file.
    scriptedDialogs().clear();
    TfrmStrings device(installed.services());
    device.fileToScan = "/dev/zero";
    device.show();
    EXPECT_EQ(scriptedDialogs().texts(), QStringList{"Could not open file /dev/zero"});
}

TEST_F(TfrmViewTest, TheStringsAndHexReports) {
    const auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(ROOMKIN_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::tuple{p.exitCode(), QString::fromLatin1(p.readAllStandardOutput()),
                          QString::fromLatin1(p.readAllStandardError())};
    };
    const QString bin = QString::fromLocal8Bit(tree.file("r.bin", QByteArray("hello world\0abc\x01"
                                                                             "0123456789abcdef!",
                                                                             33)));
    auto [status, out, err] = run({"--report", "strings", bin});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "hello world\n0123456789abcdef\n");
    std::tie(status, out, err) = run({"--report", "hex", bin, "--from", "17", "--bytes", "3"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out,
              "00000010  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66  "
              "0123456789abcdef\n");
    // An offset in hex; a count far past the end is the rest of the file.
    std::tie(status, out, err) =
        run({"--report", "hex", bin, "--from", "0x20", "--bytes", "9223372036854775807"});
    EXPECT_EQ(out, "00000020  21" + QString(46, ' ') + " !" + QString(15, ' ') + "\n");
    std::tie(status, out, err) =
        run({"--report", "strings", QString::fromLocal8Bit(tree.file("short", QByteArray("abc")))});
    EXPECT_EQ(status, 1);
    std::tie(status, out, err) = run({"--report", "strings", bin + "x"});
    EXPECT_EQ(status, 3);
    EXPECT_EQ(err, "No such file: " + bin + "x\n");
    std::tie(status, out, err) = run({"--report", "hex", QString::fromLocal8Bit(tree.root())});
    EXPECT_EQ(status, 3);
    EXPECT_EQ(err, QString::fromLocal8Bit(tree.root()) + " is not a regular file.\n");
}

}  // namespace
}  // namespace rk
