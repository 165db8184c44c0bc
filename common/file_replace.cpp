#include "common/file_replace.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace suantiji {

namespace {

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Through a symbolic link the file it names is replaced, not the link.
std::string resolvedTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    }
    return path;
}

constexpr std::string_view kTemporaryPrefix = ".suantiji-";

// A short hidden name, whatever the target's, that says which process made it.
std::string freshName(const std::string& folder) {
    static std::atomic<std::uint64_t> counter{0};
    const auto now =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, "%ld-%016llx", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(now ^ (++counter * 0x9E3779B97F4A7C15ULL)));
    return folder + "/" + std::string(kTemporaryPrefix) + suffix;
}

// True for a name of ours whose process no longer runs.
bool isOrphan(const std::string& name) {
    if (name.rfind(kTemporaryPrefix, 0) != 0) return false;
    const char* digits = name.c_str() + kTemporaryPrefix.size();
    char* end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    return end != digits && *end == '-' && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
           errno == ESRCH;
}

// mkostemp's names beside the file, as earlier versions left them: the name, a dot and six
// letters or digits.
bool isEarlierTemporary(const std::string& name, const std::string& fileName) {
    if (name.size() != fileName.size() + 7 || name.rfind(fileName + ".", 0) != 0) return false;
    return std::all_of(name.end() - 6, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Gives the anonymous file a fresh name beside the target and renames that over the target:
// the name exists only between those two calls.
int linkOver(int fd, const std::string& folder, const std::string& target) {
    const std::string source = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = freshName(folder);
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        if (::rename(name.c_str(), target.c_str()) == 0) return 0;
        const int error = errno;
        ::unlink(name.c_str());
        return error;
    }
    return EEXIST;
}

// For file systems without anonymous files: a named one, created with the umask applied.
int openNamed(const std::string& folder, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = freshName(folder);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolder(const std::string& folder) {
    // Makes the rename itself durable; a failure here leaves a complete file either way.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

int writeBeside(const std::string& target, std::string_view bytes, std::optional<mode_t> mode) {
    const std::string folder = folderOf(target);
    std::string named;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) fd = openNamed(folder, named);
    if (fd < 0) return errno;
    int error = writeAll(fd, bytes);
    if (error == 0 && mode && ::fchmod(fd, *mode) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (error == 0 && named.empty()) error = linkOver(fd, folder, target);
    if (error == 0 && !named.empty() && ::rename(named.c_str(), target.c_str()) != 0) error = errno;
    ::close(fd);
    if (error != 0 && !named.empty()) ::unlink(named.c_str());
    if (error == 0) syncFolder(folder);
    return error;
}

int writeInPlace(const std::string& target, std::string_view bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const auto size = static_cast<off_t>(bytes.size());
    int error = 0;
    if (size > 0 && ::fallocate(fd, 0, 0, size) != 0 && errno != EOPNOTSUPP) error = errno;
    if (error == 0) error = writeAll(fd, bytes);
    if (error == 0 && ::ftruncate(fd, size) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    return error;
}

}  // namespace

int ReplaceFile(const std::string& path, std::string_view bytes,
                std::optional<mode_t> newFileMode) {
    if (path.empty()) return ENOENT;
    const std::string target = resolvedTarget(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) return errno;
        return writeBeside(target, bytes, newFileMode);
    }
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    // Made read-only by its owner: left so even for root, who could write it.
    if ((info.st_mode & S_IWUSR) == 0) return EACCES;
    const int error = writeBeside(target, bytes, info.st_mode & 07777);
    if (error != EACCES && error != EPERM) return error;
    return writeInPlace(target, bytes);
}

void RemoveStaleTemporaries(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string fileName = fs::path(path).filename().string();
    const auto aMinuteAgo = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folderOf(path), error)) {
        const std::string name = entry.path().filename().string();
        std::error_code ignored;
        // An earlier version's file that is a minute old is no longer being written.
        if (isOrphan(name) || (isEarlierTemporary(name, fileName) &&
                               entry.last_write_time(ignored) < aMinuteAgo && !ignored)) {
            fs::remove(entry.path(), ignored);
        }
    }
}

std::string WriteErrorText(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "磁盘空间不足";
        case EROFS:
            return "磁盘是只读的";
        case EACCES:
        case EPERM:
            return "没有写入的权限，文件或文件夹是只读的";
        case ENAMETOOLONG:
            return "文件名太长";
        case ENOENT:
        case ENOTDIR:
            return "文件夹不存在";
        case EISDIR:
            return "已有同名的文件夹";
        case EINVAL:
            return "同名的不是普通文件";
        default:
            return "写入时出错（错误代码 " + std::to_string(error) + "）";
    }
}

}  // namespace suantiji
