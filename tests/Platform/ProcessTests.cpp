#include "Platform/Process.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using zktest::TempDir;

TEST(ProcessPaths, ExecutablePathIsThisTestProgram) {
    const std::string path = zk::ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ('/', path[0]);
    EXPECT_NE(std::string::npos, path.find("tests_platform"));
    EXPECT_EQ(path.substr(0, path.rfind('/')), zk::ExecutableFolder());
}

TEST(ProcessPaths, FindProgramLooksBesideUsThenOnPath) {
    EXPECT_EQ(zk::ExecutablePath(), zk::FindProgram("tests_platform").value_or(""));
    const auto sh = zk::FindProgram("sh");
    ASSERT_TRUE(sh.has_value());
    EXPECT_EQ(0, ::access(sh->c_str(), X_OK));
    EXPECT_FALSE(zk::FindProgram("no-such-program-zk").has_value());
    EXPECT_FALSE(zk::FindProgram("/no/such/path").has_value());
}

TEST(ProcessSpawn, ArgumentsArriveExactlyWithoutShellExpansion) {
    TempDir dir;
    const std::string out = dir.File("args.txt");
    const auto sh = zk::FindProgram("sh");
    ASSERT_TRUE(sh.has_value());
    // The spawned program prints its own arguments; none of them may be split, globbed or expanded.
    const auto result =
        zk::SpawnDetached(*sh, {"-c", "printf '%s|' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"", out, "a b",
                                "$HOME", "*", "", "quote\"d"});
    ASSERT_TRUE(result.started) << result.error;
    ASSERT_TRUE(zktest::WaitUntil([&] { return ::access(out.c_str(), F_OK) == 0; }, 5000ms));
    EXPECT_EQ("a b|$HOME|*||quote\"d|", zktest::ReadWholeFile(out));
}

TEST(ProcessSpawn, ChildIsDetachedInItsOwnSessionWithDiscardedOutput) {
    const auto sleep = zk::FindProgram("sleep");
    ASSERT_TRUE(sleep.has_value());
    const auto result = zk::SpawnDetached(*sleep, {"5"}, zk::SpawnOutput::Discard);
    ASSERT_TRUE(result.started) << result.error;
    ASSERT_GT(result.pid, 0);
    EXPECT_NE(::getsid(0), ::getsid(result.pid));  // a session of its own, away from our terminal
    errno = 0;
    EXPECT_EQ(-1, ::waitpid(result.pid, nullptr, WNOHANG));  // not our child: nothing to reap
    EXPECT_EQ(ECHILD, errno);
    for (const int fd : {1, 2}) {
        const std::string link = "/proc/" + std::to_string(result.pid) + "/fd/" + std::to_string(fd);
        char target[256] = {};
        ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0) << link;
        EXPECT_STREQ("/dev/null", target) << link;
    }
    ::kill(result.pid, SIGTERM);
}

TEST(ProcessSpawn, PipedOutputReachesTheCallerAndEndsWithTheProcess) {
    const auto sh = zk::FindProgram("sh");
    ASSERT_TRUE(sh.has_value());
    const auto result =
        zk::SpawnDetached(*sh, {"-c", "echo out; echo err >&2; exit 3"}, zk::SpawnOutput::Pipe);
    ASSERT_TRUE(result.started) << result.error;
    ASSERT_GE(result.output, 0);
    std::string text;
    char buffer[64];
    for (ssize_t n; (n = ::read(result.output, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(result.output);
    EXPECT_EQ("out\nerr\n", text);
}

TEST(ProcessSpawn, MissingProgramReportsTheError) {
    const auto result = zk::SpawnDetached("/no/such/program", {});
    EXPECT_FALSE(result.started);
    EXPECT_EQ(ENOENT, result.error);
}

}  // namespace
