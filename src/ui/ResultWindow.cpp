#include "ui/ResultWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/DriveCheckPanel.h"
#include "ui/ResultGridView.h"

namespace rk {

QPushButton* makeToolButton(QWidget* parent, const QString& name, const QString& caption,
                            const QString& hint, QStyle::StandardPixmap glyph) {
    auto* b = new QPushButton(parent->style()->standardIcon(glyph), caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

namespace {

// Keeps a window no narrower than its top panel needs: the buttons a scan's result brings
// into the row need more room than the window had when it was first shown.
class PanelWidthKeeper : public QObject {
public:
    // frame: what the window adds to the panel's width.
    PanelWidthKeeper(QWidget* window, QWidget* panel, int shownWidth, int frame)
        : QObject(panel), window_(window), panel_(panel), shownWidth_(shownWidth), frame_(frame) {
        panel->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == panel_ && event->type() == QEvent::LayoutRequest)
            window_->setMinimumWidth(
                std::max(shownWidth_, panel_->minimumSizeHint().width() + frame_));
        return false;
    }

private:
    QWidget* window_;
    QWidget* panel_;
    const int shownWidth_;
    const int frame_;
};

}  // namespace

QString listIncompleteText() {
    return QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");
}

ResultWindow::ResultWindow(const Services& services, QWidget* parent, const ColumnSchema& schema,
                           QSize designedSize, int panelHeight, const QString& statusName,
                           int statusHeight)
    : ToolWindow(services, parent), schema_(schema) {
    resize(px(designedSize.width()), px(designedSize.height()));
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(px(panelHeight));

    Label4 = new QLabel(QStringLiteral("D&rives:"), Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    pnlDrives = new DriveCheckPanel(Panel1);
    pnlDrives->setObjectName(QStringLiteral("pnlDrives"));
    Label4->setBuddy(pnlDrives->box(1));
    btClose = makeToolButton(Panel1, QStringLiteral("btClose"), QStringLiteral("Close"),
                             QStringLiteral("Close window"), QStyle::SP_DialogCloseButton);
    btAbort = makeToolButton(Panel1, QStringLiteral("btAbort"), QStringLiteral("&Abort"),
                             QStringLiteral("Abort scan"), QStyle::SP_BrowserStop);

    grid = new ResultGridView(this);
    grid->showRoomTips(services_.platform());
    grid->setObjectName(QStringLiteral("grid"));
    grid->results().setSchema(schema_);

    status_ = new QLabel(this);
    status_->setObjectName(statusName);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_->setLineWidth(2);
    status_->setFixedHeight(std::max(px(statusHeight), status_->sizeHint().height()));

    connect(btClose, &QPushButton::clicked, this, &ResultWindow::reject);
    connect(btAbort, &QPushButton::clicked, this, &ResultWindow::btAbortClick);
    connect(pnlDrives, &DriveCheckPanel::cb1Click, this,
            [this](bool anyChecked) { cb1Click(anyChecked); });
}

void ResultWindow::layOut(QLayout* query, const QList<QPushButton*>& buttons,
                          QMargins panelMargins) {
    auto* drives = new QHBoxLayout;
    drives->addWidget(Label4, 0, Qt::AlignTop);
    drives->addWidget(pnlDrives);
    auto* top = new QHBoxLayout;
    top->addLayout(query, 1);
    top->addSpacing(px(10));
    top->addLayout(drives);
    auto* row = new QHBoxLayout;
    row->setSpacing(px(3));
    for (QPushButton* b : buttons)
        row->addWidget(b);
    row->addStretch(1);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(px(panelMargins.left()), px(panelMargins.top()),
                              px(panelMargins.right()), px(panelMargins.bottom()));
    panel->addLayout(top, 1);
    panel->addLayout(row);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(grid, 1);
    layout->addWidget(status_);
}

void ResultWindow::sizeAndCentre() {
    QSize minimum(Panel1->sizeHint().width() + px(3), Panel1->height() * 2);
    if (QScreen* s = screen()) {
        minimum = minimum.boundedTo(s->availableGeometry().size() - QSize(10, 10));
        move(s->availableGeometry().center() - rect().center());
    }
    setMinimumSize(minimum);
    new PanelWidthKeeper(this, Panel1, minimum.width(), px(3));
    FormResize();
}

void ResultWindow::resetGrid() {
    ResultGrid& g = grid->results();
    g.setSchema(schema_);
    g.clear();
    rowsFilled = 0;
    fitted_.clear();
    FormResize();
}

void ResultWindow::FormResize() {
    ResultGrid& g = grid->results();
    for (int c = 0; c < schema_.count(); ++c)
        g.setColumnWidth(c, std::max(schema_.columns[std::size_t(c)].width, fitted_.value(c)));
}

void ResultWindow::fitColumnsToTexts(int sampleRows) {
    fitted_.clear();
    for (int c = 0; c < schema_.count(); ++c) {
        const ResultColumn& column = schema_.columns[std::size_t(c)];
        // Rows are fitted before any is marked: the marked column keeps room for the mark,
        // or marking a long name would cut it off.
        const int mark = c == schema_.markColumn ? 18 : 0;
        fitted_.append(column.fitsTexts && column.width > 0
                           ? std::min(grid->contentWidth(c, sampleRows) + mark, 200)
                           : 0);
    }
    FormResize();
}

QString ResultWindow::checkedDriveList() const {
    QString list;
    for (const Drive& d : pnlDrives->checkedDrives())
        list += d.caption() + QLatin1Char(' ');
    return list;
}

void ResultWindow::beginScan(bool& abortFlag, const QList<QWidget*>& inputs) {
    abortFlag = false;
    abortFlag_ = &abortFlag;
    incomplete_ = false;
    userAborted_ = false;
    phase_ = Phase::Walk;
    inputs_ = inputs;
    inputs_.append(btClose);
    inputs_.append(pnlDrives);
    for (QWidget* w : inputs_)
        w->setEnabled(false);
    btAbort->show();
    grid->setCursor(Qt::WaitCursor);
}

bool ResultWindow::walkEnded() {
    // Whatever stopped the walk, its list is cut short; after this nothing is.
    incomplete_ = abortFlag_ && *abortFlag_;
    abortFlag_ = nullptr;
    phase_ = Phase::Rows;
    btAbort->hide();
    return !closeAsked_;
}

bool ResultWindow::endScan() {
    phase_ = Phase::Idle;
    abortFlag_ = nullptr;
    grid->unsetCursor();
    btAbort->hide();
    for (QWidget* w : inputs_)
        w->setEnabled(true);
    inputs_.clear();
    cb1Click(pnlDrives->anyChecked());
    // A close asked for meanwhile closes the window once the job has ended.
    return !closeAsked_ || held_;
}

void ResultWindow::btAbortClick() {
    // Once: Escape pressed again while the warning is up stops nothing more.
    if (phase_ != Phase::Walk || !abortFlag_ || userAborted_) return;
    *abortFlag_ = true;
    userAborted_ = true;
    btAbort->hide();
    services_.showWarning(listIncompleteText());
}

QString ResultWindow::scanStatus(const QString& text, std::uint64_t skippedFolders) const {
    QString status = text + skippedFoldersNote(skippedFolders);
    if (incomplete_) status += QStringLiteral(" - ") + incompleteText();
    return status;
}

QString ResultWindow::incompleteText() const {
    return userAborted_ ? listIncompleteText() : QStringLiteral("LIST INCOMPLETE");
}

void ResultWindow::showNothingFound(std::uint64_t skippedFolders) {
    const QString nothing = QStringLiteral("No files found.");
    if (skippedFolders > 0 || incomplete_) status_->setText(scanStatus(nothing, skippedFolders));
    services_.showInfo(nothing);
}

void ResultWindow::askClose() {
    closeAsked_ = true;
    if (phase_ == Phase::Walk && abortFlag_) *abortFlag_ = true;
}

bool ResultWindow::closeIfAsked() {
    if (!closeAsked_ || isScanning() || held_) return false;
    closeAsked_ = false;
    ToolWindow::reject();
    return true;
}

bool ResultWindow::releaseClose() {
    held_ = false;
    return !closeIfAsked();
}

void ResultWindow::reject() {
    // Escape and Close: never hide the window while its scan runs on unseen.
    if (isScanning() || held_) {
        askClose();
        return;
    }
    ToolWindow::reject();
}

void ResultWindow::keyPressEvent(QKeyEvent* event) {
    // A user presses Escape to stop a search, not to throw its list away.
    if (isScanning() && event->matches(QKeySequence::Cancel)) {
        btAbortClick();
        event->accept();
        return;
    }
    ToolWindow::keyPressEvent(event);
}

void ResultWindow::closeEvent(QCloseEvent* event) {
    if (isScanning() || held_) {
        askClose();
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

}  // namespace rk
