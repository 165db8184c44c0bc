#pragma once

namespace suantiji {

class MainWindow;
class PrinterSpooler;

// Creation finished: the data folder exists without what a killed save left in it, the
// previous run's choices are back, and the printer list shows the system's printers with the
// default selected.
void OnMainWindowCreated(MainWindow& window, PrinterSpooler& spooler);

// About to be destroyed: the choices are written to the settings file.
void OnMainWindowDestroying(MainWindow& window);

}  // namespace suantiji
