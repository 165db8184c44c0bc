#include "ui/startup.h"

#include "common/file_replace.h"
#include "common/program_folder.h"
#include "settings/control_states.h"
#include "ui/main_window.h"
#include "ui/print_actions.h"

namespace suantiji {

void OnMainWindowCreated(MainWindow& window, PrintActions& printActions) {
    const std::string dataFolder = window.programFolder() + "/data";
    if (!IsFolder(dataFolder)) MakeFolder(dataFolder);
    const std::string settings = SettingsFilePath(window.programFolder());
    RemoveStaleTemporaries(settings);
    RestoreControlStates(window.controls(), settings);
    printActions.ListPrinters(window.controls());
}

void OnMainWindowDestroying(MainWindow& window) {
    SaveControlStates(window.controls(), SettingsFilePath(window.programFolder()));
}

}  // namespace suantiji
