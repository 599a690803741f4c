#include "Support/Deadline.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

DeadlineResult RunWithDeadline(const std::function<bool()>& body, double seconds)
{
    DeadlineResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return result;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return result;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], 1);
        const bool passed = body();
        std::fflush(stdout);
        _exit(passed ? 0 : 1);
    }
    close(pipeEnds[1]);
    fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    bool ended = false;
    // The pipe is drained while waiting, so a child that logs much never blocks on it.
    for (;;) {
        char buffer[4096];
        ssize_t got;
        while ((got = read(pipeEnds[0], buffer, sizeof(buffer))) > 0)
            result.output.append(buffer, static_cast<size_t>(got));
        if (ended)
            break;
        if (waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            continue; // one more drain
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    close(pipeEnds[0]);
    result.finished = ended && WIFEXITED(status);
    result.passed = result.finished && WEXITSTATUS(status) == 0;
    return result;
}
