#pragma once

#include <string>

namespace suantiji {

// The folder of the running executable, without a trailing separator.
std::string ExecutableFolder();

// Where the program keeps `data/` and the records folder: the executable's folder when the user
// can write to it, otherwise the per-user folder `$XDG_DATA_HOME/suantiji`
// (`~/.local/share/suantiji` by default), created when missing. An installed copy in /usr/bin
// would otherwise lose every choice and picture without a word, or, run by root, leave files in
// /usr/bin; so a folder under /usr always takes the per-user folder.
std::string ProgramFolder();

// The per-user folder `$XDG_DATA_HOME/suantiji` (`~/.local/share/suantiji` without it), created
// when missing; empty when the environment names neither.
std::string PerUserFolder(const char* xdgDataHome, const char* home);
std::string PerUserFolder();

// The same rule for a given executable folder and environment; the seam the tests use.
std::string ProgramFolderFor(const std::string& executableFolder, const char* xdgDataHome,
                             const char* home);

// True when the path names an existing folder.
bool IsFolder(const std::string& path);

// Creates one folder (its parent must exist). False when it could not be made.
bool MakeFolder(const std::string& path);

// Creates a folder with every missing parent. True when the folder exists afterwards.
bool MakeFolderPath(const std::string& path);

}  // namespace suantiji
