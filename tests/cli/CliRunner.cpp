#include "tests/cli/CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

}  // namespace

CliResult RunCli(std::vector<std::string> args) {
    CliRun run;
    run.args = std::move(args);
    return RunCli(run);
}

CliResult RunCli(const CliRun& run) {
    CliResult result;
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        if (!run.cwd.empty() && chdir(run.cwd.c_str()) != 0) _exit(127);
        for (const std::string& e : run.env) putenv(const_cast<char*>(e.c_str()));
        // Another build of the program (an older one, to see a test fail
        // before its fix) when the environment names one.
        const char* program = std::getenv("BRELKO_CLI_UNDER_TEST");
        if (program == nullptr || *program == '\0') program = BRELKO_CLI_PATH;
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program));
        for (const std::string& a : run.args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    // A safety net, not a timing check: a hung child must not hang the suite.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(run.limitSeconds);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    std::size_t eachFrom = 0;
    while (open > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, 200) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        }
        if (!run.signalWhen.empty() && !result.signalSent && Occurrences(result.err, run.signalWhen) >= run.signalAtOccurrence) {
            kill(pid, run.signal);
            result.signalSent = true;
        }
        while (result.signalsEach < run.signalEach.size()) {
            const std::size_t at = result.err.find(run.signalEach[result.signalsEach], eachFrom);
            if (at == std::string::npos) break;
            kill(pid, run.signal);
            eachFrom = at + run.signalEach[result.signalsEach].size();
            ++result.signalsEach;
        }
        if (result.signalSent && !run.signalAgainWhen.empty() && !result.signalSentAgain &&
            result.err.find(run.signalAgainWhen) != std::string::npos) {
            kill(pid, run.signal);
            result.signalSentAgain = true;
        }
    }
    for (auto& fd : fds)
        if (fd.fd >= 0) close(fd.fd);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return result;
}
