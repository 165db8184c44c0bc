#pragma once

#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "generation/sheet_layout.h"
#include "ui/window_controls.h"

class QComboBox;
class QPrinter;
class QScrollArea;
class QTabWidget;

namespace suantiji {

class FileOpener;
class MessageBox;
class PrintActions;
class PrinterSpooler;
class SaveFileDialog;
class RandomSource;
class TableModel;
class TableWidget;

// What the window needs from the platform. Null members get the real services.
struct MainWindowServices {
    MessageBox* messages = nullptr;
    PrinterSpooler* spooler = nullptr;
    RandomSource* random = nullptr;
    SaveFileDialog* saveDialog = nullptr;
    FileOpener* opener = nullptr;
    // Asked only when there is no default printer; empty: the print dialog.
    std::function<bool(QPrinter&)> askForPrinter;
    SheetMaker::Clock clock;
    // Empty: the program folder of the running executable.
    std::string programFolder;
};

// The program's one window: the choices on the left, the sheet table on the right.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1428;
    static constexpr int kHeight = 767;

    explicit MainWindow(MainWindowServices services = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    TableModel& table() { return *m_table; }
    TableWidget* tableWidget() const { return m_tableWidget; }
    const std::string& programFolder() const { return m_programFolder; }
    const std::string& sheetTimestamp() const { return m_sheetMaker->SheetTimestamp(); }

    // Event handlers of the event map.
    bool GenerateSheet();
    // Printing and the default printer answer later, on this thread: CUPS is asked on another.
    void PrintSheet();
    void SaveSheetPicture();
    void ApplyPrinterChoice();
    void ApplyRowHeight();
    void ToggleGridLines();
    void ToggleAnswers();

    // Sizes and places the window for a screen whose free area is `available`: as designed with
    // its frame centred where it fits, otherwise as large as the area with the whole frame on it
    // and the sheet (and the choices, if need be) scrolled.
    void FitToScreen(const QRect& available);

    // At exit: waits up to `limit` for the print system to finish what is still within its time
    // to answer; false when a thread is still waiting on CUPS, which the program leaves behind.
    bool FinishPrintSystemCalls(std::chrono::milliseconds limit);

    // The window's controls, by name and kind.
    WindowControls& controls() { return *m_controls; }
    const WindowControls& controls() const { return *m_controls; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectEvents();
    void setTabOrder();
    void putInScrollAreas();

    struct Owned;
    std::unique_ptr<Owned> m_owned;
    std::string m_programFolder;
    std::unique_ptr<TableModel> m_table;
    std::unique_ptr<WindowControls> m_controls;
    std::unique_ptr<SheetMaker> m_sheetMaker;
    std::unique_ptr<PrintActions> m_printActions;
    TableWidget* m_tableWidget = nullptr;
    QTabWidget* m_tabs = nullptr;
    QScrollArea* m_choicesArea = nullptr;
    QScrollArea* m_sheetArea = nullptr;
    bool m_placedWithFrame = false;
    bool m_saved = false;
};

}  // namespace suantiji
