// Plays one golden transcript: runs the game with an input script on its standard input
// and compares everything it prints, byte for byte, with the expected output. On a
// difference it shows where, with the text around it on both sides.
//
// Usage: golden_runner [LAUNCHER...] PROGRAM INPUT EXPECTED
//
// A launcher runs the program in its place: a cross build's emulator (qemu-user), since the
// system cannot start a program built for another machine by itself.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string readFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "golden_runner: cannot read " << path << "\n";
        std::exit(2);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Run {
    std::string output;
    int status;
};

/// Runs `command` (a program and its arguments, null-terminated) on the input.
Run runProgram(char* const* command, const char* inputPath) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        std::perror("golden_runner: pipe");
        std::exit(2);
    }
    const pid_t child = fork();
    if (child == 0) {
        const int input = open(inputPath, O_RDONLY);
        if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(pipeEnds[1], STDOUT_FILENO) < 0) {
            _exit(127);
        }
        close(pipeEnds[0]);
        execv(command[0], command);
        _exit(127);
    }
    close(pipeEnds[1]);
    Run run{{}, -1};
    char buffer[65536];
    ssize_t count;
    while ((count = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        run.output.append(buffer, static_cast<std::size_t>(count));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// Makes line breaks and other invisible bytes visible, one line of context per side.
std::string visible(const std::string& text, std::size_t from, std::size_t to) {
    std::string shown;
    for (std::size_t i = from; i < std::min(to, text.size()); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '\\') {
            shown += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

void reportDifference(const std::string& expected, const std::string& actual) {
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto offset = static_cast<std::size_t>(mismatch.first - expected.begin());
    const auto line = 1 + std::count(expected.begin(), mismatch.first, '\n');
    const std::size_t from = offset > 60 ? offset - 60 : 0;
    std::cout << "First difference at byte " << offset << " (line " << line << " of the expected "
              << "output; expected " << expected.size() << " bytes, got " << actual.size() << ")\n";
    std::cout << "  expected: ..." << visible(expected, from, offset) << "[["
              << visible(expected, offset, offset + 60) << "]]\n";
    std::cout << "  actual:   ..." << visible(actual, from, offset) << "[["
              << visible(actual, offset, offset + 60) << "]]\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: golden_runner [LAUNCHER...] PROGRAM INPUT EXPECTED\n";
        return 2;
    }
    const char* input = argv[argc - 2];
    const std::string expected = readFile(argv[argc - 1]);
    argv[argc - 2] = nullptr;  // the command ends at the program
    const Run run = runProgram(argv + 1, input);
    bool passed = true;
    if (run.output != expected) {
        reportDifference(expected, run.output);
        passed = false;
    }
    if (run.status != 0) {
        std::cout << "Exit status " << run.status << ", expected 0\n";
        passed = false;
    }
    return passed ? 0 : 1;
}
