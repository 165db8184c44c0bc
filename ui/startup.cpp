#include "ui/startup.h"

#include "common/file_replace.h"
#include "common/program_folder.h"
#include "output/printer_choice.h"
#include "settings/control_states.h"
#include "ui/main_window.h"

namespace suantiji {

void OnMainWindowCreated(MainWindow& window, PrinterSpooler& spooler) {
    const std::string dataFolder = window.programFolder() + "/data";
    if (!IsFolder(dataFolder)) MakeFolder(dataFolder);
    const std::string settings = SettingsFilePath(window.programFolder());
    RemoveStaleTemporaries(settings);
    RestoreControlStates(window, settings);
    FillPrinterList(window, spooler);
}

void OnMainWindowDestroying(MainWindow& window) {
    SaveControlStates(window, SettingsFilePath(window.programFolder()));
}

}  // namespace suantiji
