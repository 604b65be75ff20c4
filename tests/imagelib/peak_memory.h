// tests/imagelib/peak_memory.h
// How much the peak resident memory grows while some work runs, measured in
// a child process so that the test's own history does not count.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>

// Kilobytes by which the peak resident set grew during work, or -1 when the
// child could not be started or did not report.
inline std::int64_t peakGrowthKb(const std::function<void()> &work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        work();
        getrusage(RUSAGE_SELF, &after);
        const std::int64_t growth = std::int64_t(after.ru_maxrss) - before.ru_maxrss;
        const bool written = write(fds[1], &growth, sizeof(growth)) == sizeof(growth);
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    std::int64_t growth = -1;
    if (child < 0 || read(fds[0], &growth, sizeof(growth)) != sizeof(growth))
        growth = -1;
    close(fds[0]);
    int status = 0;
    if (child > 0)
        waitpid(child, &status, 0);
    return growth;
}
