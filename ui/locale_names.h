#pragma once

#include "generation/format_date_time.h"

namespace suantiji {

// Day and month names in the user's language, as the environment (LC_ALL, LC_TIME, LANG)
// chooses it. Qt carries the names, so this works without generated system locales.
LocaleNames SystemLocaleNames();

}  // namespace suantiji
