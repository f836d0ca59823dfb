#pragma once

#include <QByteArray>
#include <QDialog>
#include <array>
#include <memory>

#include "ui/Services.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPrinter;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace rk {

class FileView;

// The find dialog: one for the whole program, made at start-up, so its text and options
// carry over from one viewer window to the next.
class TFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFindDlg(QWidget* parent = nullptr);
    QLineEdit* Edit1;
    QRadioButton* RadioButton1;  // forward
    QRadioButton* RadioButton2;  // backward
    QCheckBox* CheckBox1;        // match case
    QCheckBox* CheckBox2;        // whole file
};

// The program's find dialog; made on first use where start-up did not make it.
[[nodiscard]] TFindDlg& FindDlg();
void createFindDlg();

// The viewer window: a frame around the file view with menus, buttons and a status header.
// The opener sets fileToView and shows it modally; a file that cannot be opened is reported
// and the window closes again at once.
class TfrmView : public QDialog {
    Q_OBJECT
public:
    explicit TfrmView(const Services& services, QWidget* parent = nullptr);
    ~TfrmView() override;

    QByteArray fileToView;

    FileView* Viewer1;
    std::array<QLabel*, 5> headerSections{};

    void FormShow();
    void Open1Click();
    void Exit1Click() { reject(); }
    void btCloseClick() { reject(); }
    void Print1Click();
    void PrintSetup1Click();
    void File1Click();
    void Clipboard1Click();
    void Copy1Click();
    void SelectAll1Click();
    void Search1Click();
    void Find1Click();
    void FindNext1Click();
    void GotoLine1Click();
    void HexMode1Click();
    void rbAsciiClick();
    void rbHexClick();
    void TabExpansion1Click();
    void TabSize1Click();
    void Font1Click();
    void btStringsClick();
    void Viewer1ShowStatus(qint64 line, qint64 column);
    // Shows another file (from Open or a drop); the caption stays. False when it could not
    // be opened (the user has been told and the view is empty).
    bool showFile(const QByteArray& path);
    // Prints lines first..last; on the first line the cells before firstCell are blanks, the
    // last is cut at lastCell (-1: whole). Honours the printer's page range, keeps the window
    // answering, and stops when the window closes. False when printing failed or stopped.
    bool printLines(QPrinter& printer, qint64 first, qint64 last, int firstCell, int lastCell);

    // Files dropped on the window: the first is shown, taken as a copy.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QMenuBar* MainMenu1;
    QMenu* File1;
    QMenu* Clipboard1;
    QMenu* Search1;
    QMenu* Options1;
    QAction* Open1;
    QAction* Print1;
    QAction* PrintSetup1;
    QAction* Exit1;
    QAction* Copy1;
    QAction* SelectAll1;
    QAction* Find1;
    QAction* FindNext1;
    QAction* GotoLine1;
    QAction* HexMode1;
    QAction* TabExpansion1;
    QAction* TabSize1;
    QAction* Font1;
    QWidget* Panel1;
    QRadioButton* rbAscii;
    QRadioButton* rbHex;
    QPushButton* btFont;
    QPushButton* btPrint;
    QPushButton* BitBtn1;
    QPushButton* btStrings;
    QPushButton* btClose;
    QWidget* Header1;

    Services services_;
    void searchFailed(const QString& text);

    std::unique_ptr<QPrinter> printer_;
    bool shown_ = false;
    bool closing_ = false;
};

// The strings window: the readable strings of fileToScan, one a line, and their count.
class TfrmStrings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStrings(const Services& services, QWidget* parent = nullptr);
    QByteArray fileToScan;
    QPlainTextEdit* Memo1;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* Panel1;
    QLabel* Label1;
    QLabel* lblCount;
    QPushButton* btClose;

    Services services_;
    bool shown_ = false;
};

// Opens the viewer on a file, modally, as the browser's View button does.
void openViewerWindow(const Services& services, QWidget* owner, const QByteArray& path);

}  // namespace rk
