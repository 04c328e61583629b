// Runs the built brelko-cli as a child process and collects what it says.
#pragma once

#include <csignal>
#include <string>
#include <vector>

struct CliResult {
    int status = -1;      // exit status, or 128 + signal when killed by one
    std::string out;      // standard output
    std::string err;      // standard error
    bool signalSent = false;
    bool signalSentAgain = false;
};

struct CliRun {
    std::vector<std::string> args;      // without the program name
    std::string cwd;                    // empty: the test's own
    // When standard error first contains this text, send `signal` to the child.
    std::string signalWhen;
    int signal = SIGINT;
    // After that, when standard error first contains this text, send it again.
    std::string signalAgainWhen;
    std::vector<std::string> env;       // extra NAME=VALUE
    int limitSeconds = 240;             // a child still running then is killed (status 137)
};

CliResult RunCli(const CliRun& run);
CliResult RunCli(std::vector<std::string> args);
