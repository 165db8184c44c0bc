#include "common/program_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace suantiji {

namespace fs = std::filesystem;

std::string ExecutableFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path(error).string();
    return exe.parent_path().string();
}

std::string PerUserFolder(const char* xdgDataHome, const char* home) {
    fs::path base;
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        base = xdgDataHome;
    } else if (home != nullptr && home[0] != '\0') {
        base = fs::path(home) / ".local" / "share";
    } else {
        return {};
    }
    const fs::path folder = base / "suantiji";
    MakeFolderPath(folder.string());
    return folder.string();
}

std::string PerUserFolder() {
    return PerUserFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::string ProgramFolderFor(const std::string& executableFolder, const char* xdgDataHome,
                             const char* home) {
    // A packaged copy under /usr never keeps data beside itself, even when root can write there:
    // files the package manager does not know of would be left in /usr/bin.
    const bool systemFolder = executableFolder.rfind("/usr/", 0) == 0;
    if (!executableFolder.empty() && !systemFolder &&
        access(executableFolder.c_str(), W_OK | X_OK) == 0) {
        return executableFolder;
    }
    const std::string perUser = PerUserFolder(xdgDataHome, home);
    return perUser.empty() ? executableFolder : perUser;
}

std::string ProgramFolder() {
    return ProgramFolderFor(ExecutableFolder(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

bool MakeFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::create_directory(path, error) && !error;
}

bool MakeFolderPath(const std::string& path) {
    if (path.empty()) return false;
    if (IsFolder(path)) return true;
    std::error_code error;
    fs::create_directories(path, error);
    return IsFolder(path);
}

}  // namespace suantiji
