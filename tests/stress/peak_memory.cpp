// Runs a program and reports its peak memory, as `/usr/bin/time -f %M` does.
//
// Usage: peak_memory PROGRAM [ARGUMENTS...]
//
// The program inherits standard input, output and error. When it ends, one line goes to
// file descriptor 3: "PEAK_KB STATUS FIXED PINNED", its peak resident set in kilobytes, its
// raw wait status, 1 if it ran without address space randomisation (else 0), and 1 if it
// ran on one processor only (else 0). This launcher then exits as the program did.
//
// Why a launcher of its own: Linux counts, in a child's peak memory, the memory of the
// process it was forked from. Forked from this small program (it uses nothing but the C
// library) the count is the game's own; forked from the test driver it would be the
// driver's, which is larger than the game. The program runs without address space
// randomisation, so that two runs can be compared page for page.
//
// And it runs on one processor. Linux counts a process's pages per processor and adds a
// processor's count to the total only once it reaches a batch (32 pages on a machine of up
// to 16 processors); the peak is read from that total, so it can be off, either way, by up
// to a batch less one of each kind of page (anonymous, file) on every processor the
// process ran on. On a busy machine a process moves between processors at different
// moments from run to run, and its peak moves by steps of tens of pages (128 KB, 188 KB)
// with no change in what it really holds. On one processor the error is that of one
// processor's count, whatever else the machine is doing.

#include <fcntl.h>
#include <sched.h>
#include <sys/personality.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: peak_memory PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    // The report descriptor is ours alone, not the program's.
    if (fcntl(3, F_SETFD, FD_CLOEXEC) != 0) {
        std::perror("peak_memory: descriptor 3");
        return 2;
    }
    // Without address randomisation the same program on the same input takes the same
    // pages on every run; with it the peak wanders by some 300 KB from run to run. The
    // program inherits the setting. Some containers forbid it: the report says so.
    const int current = personality(0xffffffff);
    const bool fixedLayout =
        current >= 0 && personality(static_cast<unsigned long>(current) | ADDR_NO_RANDOMIZE) >= 0 &&
        (personality(0xffffffff) & ADDR_NO_RANDOMIZE) != 0;
    // The processor this launcher runs on now, so that even a launcher confined to some
    // processors stays inside them. The program inherits the setting.
    cpu_set_t one;
    CPU_ZERO(&one);
    const int processor = sched_getcpu();
    bool pinned = false;
    if (processor >= 0) {
        CPU_SET(static_cast<unsigned>(processor), &one);
        pinned = sched_setaffinity(0, sizeof one, &one) == 0;
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("peak_memory: fork");
        return 2;
    }
    if (child == 0) {
        execv(argv[1], argv + 1);
        std::perror("peak_memory: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    pid_t waited;
    do {
        waited = wait4(child, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0) {
        std::perror("peak_memory: wait");
        return 2;
    }
    dprintf(3, "%ld %d %d %d\n", usage.ru_maxrss, status, fixedLayout ? 1 : 0, pinned ? 1 : 0);
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}
