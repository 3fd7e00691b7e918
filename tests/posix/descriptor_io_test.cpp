// Standard input and output as the POSIX program uses them: real file descriptors.

#include "posix/descriptor_io.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace quellmoor {
namespace {

TEST(PosixStreams, InputReportsWhatIsWaitingSoTheConsoleKnowsWhenItWouldWait) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    FileDescriptorInput input(ends[0]);
    EXPECT_EQ(input.in_avail(), 0);  // nothing typed yet: a read would wait
    ASSERT_EQ(write(ends[1], "look\n", 5), 5);
    EXPECT_EQ(input.in_avail(), 5);
    EXPECT_EQ(input.sbumpc(), 'l');
    EXPECT_EQ(input.in_avail(), 4);
    close(ends[1]);
    std::string rest;
    for (int c = input.sbumpc(); c != EOF; c = input.sbumpc()) {
        rest += static_cast<char>(c);
    }
    EXPECT_EQ(rest, "ook\n");
    close(ends[0]);
}

TEST(PosixStreams, InputThatCannotBeReadIsTheEndOfInputWithItsError) {
    FileDescriptorInput input(-1);
    EXPECT_EQ(input.in_avail(), 0);
    EXPECT_EQ(input.sgetc(), EOF);
    EXPECT_EQ(input.error(), SystemError{EBADF});
}

// A terminal's Ctrl-D is read once, and a file may grow after its end was read; either
// way the end, once seen, is the end.
TEST(PosixStreams, TheEndOfInputStaysTheEnd) {
    char name[] = "/tmp/quellmoor-input-XXXXXX";
    const int writer = mkstemp(name);
    ASSERT_GE(writer, 0);
    const int reader = open(name, O_RDONLY);
    unlink(name);
    FileDescriptorInput input(reader);
    EXPECT_EQ(input.sgetc(), EOF);
    ASSERT_EQ(write(writer, "look\n", 5), 5);
    EXPECT_EQ(input.in_avail(), -1);
    EXPECT_EQ(input.sgetc(), EOF);
    EXPECT_EQ(input.error(), SystemError{0});
    close(writer);
    close(reader);
}

TEST(PosixStreams, AFailedWriteIsReportedWithItsError) {
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    FileDescriptorOutput output(full);
    EXPECT_EQ(output.sputn("Goodbye", 7), 0);
    EXPECT_EQ(output.error(), SystemError{ENOSPC});
    close(full);
}

// No device here takes nothing without saying why, as a console may: the shared output
// logic must then stop with an error of its own, neither spinning nor losing it silently.
struct TakesNothing {
    static constexpr SystemError kNothingWritten = EIO;
    Transfer write(const char*, std::size_t) const { return {}; }
};

TEST(PosixStreams, AWriteThatTakesNothingAndSaysNothingIsAnError) {
    OutputBuffer<TakesNothing> output(TakesNothing{});
    EXPECT_EQ(output.sputn("Goodbye", 7), 0);
    EXPECT_EQ(output.error(), SystemError{EIO});
}

TEST(PosixStreams, ANonBlockingInputIsWaitedForNotTakenAsItsEnd) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(fcntl(ends[0], F_SETFL, O_NONBLOCK), 0);
    std::thread typist([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(write(ends[1], "n", 1), 1);
    });
    FileDescriptorInput input(ends[0]);
    EXPECT_EQ(input.sgetc(), 'n');
    typist.join();
    close(ends[0]);
    close(ends[1]);
}

}  // namespace
}  // namespace quellmoor
