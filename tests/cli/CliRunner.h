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
    std::size_t signalsEach = 0;  // of CliRun::signalEach
};

struct CliRun {
    std::vector<std::string> args;      // without the program name
    std::string cwd;                    // empty: the test's own
    // When standard error first contains this text, send `signal` to the child.
    std::string signalWhen;
    std::size_t signalAtOccurrence = 1;  // ... when it contains the text this many times
    int signal = SIGINT;
    // After that, when standard error first contains this text, send it again.
    std::string signalAgainWhen;
    // Besides those: `signal` each time standard error, past the text that
    // set off the one before, contains the next of these texts.
    std::vector<std::string> signalEach;
    std::vector<std::string> env;       // extra NAME=VALUE
    int limitSeconds = 240;             // a child still running then is killed (status 137)
};

CliResult RunCli(const CliRun& run);
CliResult RunCli(std::vector<std::string> args);
