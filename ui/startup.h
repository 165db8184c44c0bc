#pragma once

namespace suantiji {

class MainWindow;
class PrintActions;

// Creation finished: the data folder exists without what a killed save left in it, the
// previous run's choices are back, and the printer list shows the system's printers with the
// default selected (or will, once a slow print system answers).
void OnMainWindowCreated(MainWindow& window, PrintActions& printActions);

// About to be destroyed: the choices are written to the settings file.
void OnMainWindowDestroying(MainWindow& window);

}  // namespace suantiji
