#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include "common/program_folder.h"
#include "common/text.h"
#include "generation/random.h"
#include "output/cups_spooler.h"
#include "output/qt_save_dialog.h"
#include "output/save_picture.h"
#include "output/table_model.h"
#include "output/table_painter.h"
#include "output/table_widget.h"
#include "ui/app_icon.h"
#include "ui/locale_names.h"
#include "ui/print_actions.h"
#include "ui/qt_message_box.h"
#include "ui/startup.h"
#include "ui/window_placement.h"

namespace suantiji {

struct MainWindow::Owned {
    QtMessageBox realMessages;
    DesktopFileOpener realOpener;
    std::unique_ptr<QtSaveFileDialog> realDialog;
    std::unique_ptr<RandomSource> realRandom;
    MainWindowServices services;
};

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_owned(std::make_unique<Owned>()),
      m_programFolder(services.programFolder.empty() ? ProgramFolder() : services.programFolder),
      m_table(std::make_unique<TableModel>()) {
    setWindowTitle(QString::fromUtf8("禾木算题机v" SUANTIJI_VERSION "    BY：岚禾坊"));
    setWindowIcon(AppIcon());
    setFixedSize(kWidth, kHeight);

    m_controls = std::make_unique<WindowControls>(*this, *m_table);
    m_tableWidget = m_controls->sheet();
    m_tabs = m_controls->tabs();
    putInScrollAreas();
    setTabOrder();
    connectEvents();

    if (services.random == nullptr) {
        m_owned->realRandom = std::make_unique<RandomSource>();
        services.random = m_owned->realRandom.get();
    }
    if (services.messages == nullptr) services.messages = &m_owned->realMessages;
    // Threads still waiting on CUPS may outlive the window: they share the real spooler.
    std::shared_ptr<PrinterSpooler> spooler =
        services.spooler != nullptr
            ? std::shared_ptr<PrinterSpooler>(std::shared_ptr<void>(), services.spooler)
            : std::make_shared<CupsSpooler>();
    if (services.opener == nullptr) services.opener = &m_owned->realOpener;
    if (services.saveDialog == nullptr) {
        m_owned->realDialog = std::make_unique<QtSaveFileDialog>(this);
        services.saveDialog = m_owned->realDialog.get();
    }
    if (!services.askForPrinter) services.askForPrinter = ShowPrintDialog;
    if (!services.clock) services.clock = LocalNow;
    m_owned->services = services;
    m_sheetMaker =
        std::make_unique<SheetMaker>(*m_controls, *m_table, *services.random, *services.messages,
                                     CellTextWidth, services.clock, SystemLocaleNames());
    m_printActions = std::make_unique<PrintActions>(std::move(spooler), *services.messages,
                                                    services.askForPrinter);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        FitToScreen(screen->availableGeometry());
    }
    OnMainWindowCreated(*this, *m_printActions);
}

MainWindow::~MainWindow() {
    if (!m_saved) OnMainWindowDestroying(*this);
    // No answer from the print system may reach a window that is going.
    m_printActions.reset();
    // The table widget listens to the model, which dies with this object's members, before
    // QWidget would delete the child.
    delete m_tableWidget;
    m_tableWidget = nullptr;
}

// The choices and the sheet each sit in a scroll area without a frame: where the window is as
// designed, nothing scrolls and every control keeps its place; on a smaller screen every
// question, answer and button can still be reached.
void MainWindow::putInScrollAreas() {
    auto scrollArea = [this](QWidget* content) {
        auto* area = new QScrollArea(this);
        area->setFrameShape(QFrame::NoFrame);
        area->setFocusPolicy(Qt::NoFocus);
        area->setWidget(content);
        return area;
    };
    auto* choices = new QWidget;
    choices->resize(m_tableWidget->x(), m_tabs->geometry().bottom() + 1);
    m_tabs->setParent(choices);
    m_choicesArea = scrollArea(choices);
    m_choicesArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableWidget->move(0, 0);
    m_sheetArea = scrollArea(m_tableWidget);
}

void MainWindow::FitToScreen(const QRect& available) {
    const QRect frame = frameGeometry();
    const QRect inside = geometry();
    const QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(),
                           frame.right() - inside.right(), frame.bottom() - inside.bottom());
    if (!margins.isNull()) m_placedWithFrame = true;
    const QRect client = PlaceWindow(available, QSize(kWidth, kHeight), margins);
    setFixedSize(client.size());
    // A window's position is its frame's.
    move(client.topLeft() - QPoint(margins.left(), margins.top()));

    const int choicesWidth = m_choicesArea->widget()->width();
    const bool choicesScroll = client.height() < m_choicesArea->widget()->height();
    const int barWidth = choicesScroll ? m_choicesArea->verticalScrollBar()->sizeHint().width() : 0;
    m_choicesArea->setGeometry(0, 0, choicesWidth + barWidth, client.height());
    m_sheetArea->setGeometry(choicesWidth + barWidth, 0,
                             std::max(0, client.width() - choicesWidth - barWidth),
                             client.height());
}

// Keyboard focus moves top to bottom, in the order of the control table.
void MainWindow::setTabOrder() {
    QWidget* previous = nullptr;
    for (const ControlDesign& design : ControlTable()) {
        const bool takesFocus =
            design.kind == ControlKind::Check || design.kind == ControlKind::Edit ||
            design.kind == ControlKind::SpinEdit || design.kind == ControlKind::Combo ||
            design.kind == ControlKind::Button;
        if (!takesFocus) continue;
        QWidget* next = m_controls->widget(design.name);
        if (previous != nullptr) QWidget::setTabOrder(previous, next);
        previous = next;
    }
    m_tableWidget->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::connectEvents() {
    const WindowControls& c = *m_controls;
    connect(c.button(control::kGenerate), &QPushButton::clicked, this, [this] { GenerateSheet(); });
    connect(c.button(control::kPrint), &QPushButton::clicked, this, [this] { PrintSheet(); });
    connect(c.button(control::kSavePicture), &QPushButton::clicked, this,
            [this] { SaveSheetPicture(); });
    connect(c.button(control::kSetDefaultPrinter), &QPushButton::clicked, this,
            [this] { ApplyPrinterChoice(); });
    connect(c.comboBox(control::kRowHeight), &QComboBox::activated, this,
            [this] { ApplyRowHeight(); });
    connect(c.checkBox(control::kGridLines), &QCheckBox::clicked, this,
            [this] { ToggleGridLines(); });
    connect(c.checkBox(control::kShowAnswers), &QCheckBox::clicked, this,
            [this] { ToggleAnswers(); });
}

bool MainWindow::GenerateSheet() {
    // A rare request can keep the window busy for a noticeable moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool shown = m_sheetMaker->GenerateSheet();
    QApplication::restoreOverrideCursor();
    return shown;
}

void MainWindow::PrintSheet() { m_printActions->PrintSheet(*m_table); }

void MainWindow::SaveSheetPicture() {
    suantiji::SaveSheetPicture(m_tableWidget, m_programFolder, m_sheetMaker->SheetTimestamp(),
                               *m_owned->services.saveDialog, *m_owned->services.opener,
                               *m_owned->services.messages);
}

void MainWindow::ApplyPrinterChoice() { m_printActions->ApplyPrinterChoice(*m_controls); }

bool MainWindow::FinishPrintSystemCalls(std::chrono::milliseconds limit) {
    return m_printActions->Finish(limit);
}

void MainWindow::ApplyRowHeight() {
    const int height = TextToInteger(m_controls->ContentText(std::string(control::kRowHeight)));
    for (int row = 1; row <= 20; ++row) m_table->SetRowHeight(row, height);
}

void MainWindow::ToggleGridLines() {
    if (m_table->GetCellText(0, 1).empty()) return;
    const bool lines = m_controls->IsChecked(std::string(control::kGridLines));
    m_table->SetGridLineMode(lines ? GridLines::Both : GridLines::None);
}

void MainWindow::ToggleAnswers() {
    // A key to the questions shown, rather than new questions with answers.
    m_sheetMaker->ShowAnswers(m_controls->IsChecked(std::string(control::kShowAnswers)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Every way of closing ends here while the controls still hold their last state.
    if (!m_saved) {
        OnMainWindowDestroying(*this);
        m_saved = true;
    }
    event->accept();
}

bool MainWindow::event(QEvent* event) {
    // The window manager's frame is known only once the window is shown, often only when it has
    // moved the window into the frame: place it again then, once, so that the whole frame is
    // centred and kept on the screen.
    if ((event->type() == QEvent::Show || event->type() == QEvent::Move) && !m_placedWithFrame &&
        frameGeometry() != geometry()) {
        if (const QScreen* shownOn = screen()) FitToScreen(shownOn->availableGeometry());
    }
    return QWidget::event(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // No control claims Esc, so it reaches the window from every control and closes it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    // Enter has no window-wide meaning.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace suantiji
