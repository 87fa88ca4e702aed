#include "host/linux/idle_start.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

bool sessionHasDisplay(const char* waylandDisplay, const char* x11Display) {
    return (waylandDisplay != nullptr && waylandDisplay[0] != '\0') ||
           (x11Display != nullptr && x11Display[0] != '\0');
}

void startIdleWatcher() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return;
    path[length] = '\0';
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        setsid();
        if (fork() != 0)
            _exit(0);
        // Its messages go where the starter's go: the session's log or the terminal.
        const int nothing = open("/dev/null", O_RDWR);
        if (nothing >= 0)
            dup2(nothing, STDIN_FILENO);
        char idle[] = "--idle";
        char* argv[] = {path, idle, nullptr};
        execv(path, argv);
        _exit(127);
    }
    waitpid(child, nullptr, 0);
}
