#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace suantiji {

// Runs the body as an ordinary user and hands back what it returns. Root may write everywhere,
// and CI runs as root: there the body runs in a child process that has become nobody, for whom
// a folder without write permission is as read-only as /usr/bin. The body must not use Qt.
inline std::string AsUnprivilegedUser(const std::function<std::string()>& body) {
    if (geteuid() != 0) return body();
    const passwd* nobody = getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    int channel[2];
    if (pipe(channel) != 0) return "(no pipe)";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(1);
        const std::string result = body();
        const bool written =
            write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "(child failed)";
}

}  // namespace suantiji
