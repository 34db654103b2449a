#pragma once

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child process whose files cannot grow past `limitBytes`: a write beyond it
// fails (EFBIG) as it would on a full disk, without needing a full disk. Returns the child's
// exit code, or -1 when it did not end normally.
inline int RunWithFileSizeLimit(rlim_t limitBytes, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
