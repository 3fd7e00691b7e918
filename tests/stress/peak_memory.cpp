// Runs a program and reports its peak memory, as `/usr/bin/time -f %M` does.
//
// Usage: peak_memory PROGRAM [ARGUMENTS...]
//
// The program inherits standard input, output and error. When it ends, one line goes to
// file descriptor 3: "PEAK_KB STATUS FIXED", its peak resident set in kilobytes, its raw
// wait status, and 1 if it ran without address space randomisation (else 0). This
// launcher then exits as the program did.
//
// Why a launcher of its own: Linux counts, in a child's peak memory, the memory of the
// process it was forked from. Forked from this small program (it uses nothing but the C
// library) the count is the game's own; forked from the test driver it would be the
// driver's, which is larger than the game. The program runs without address space
// randomisation, so that two runs can be compared page for page.

#include <fcntl.h>
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
    dprintf(3, "%ld %d %d\n", usage.ru_maxrss, status, fixedLayout ? 1 : 0);
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}
