#pragma once

namespace suantiji {

// Qt's own texts (dialog buttons, the file and print dialogs) in Chinese, whatever the
// environment's language: the window speaks nothing else, so neither may the dialogs it opens.
// Dates and weekdays still follow the environment. False when the translations are missing.
bool InstallChineseQtTexts();

}  // namespace suantiji
