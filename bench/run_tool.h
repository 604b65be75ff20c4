// bench/run_tool.h
// Running a peer's command-line tool to its end from a benchmark.
#pragma once

#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

// Runs a tool to the end; adds the CPU time it used (user + system) to cpuSeconds.
inline bool runTool(std::vector<std::string> args, double *cpuSeconds = nullptr)
{
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    struct rusage usage = {};
    wait4(pid, &status, 0, &usage);
    if (cpuSeconds) {
        *cpuSeconds += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
