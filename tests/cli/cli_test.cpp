// Runs the built datapatch program as a user would and checks what it prints and returns.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string output;
};

Outcome RunDatapatch(const std::string& args) {
    const char* bin = std::getenv("DATAPATCH_TEST_BIN");
    const std::string program = std::string(bin ? bin : ".") + "/datapatch";
    const std::string command = program + " " + args + " 2>&1";
    Outcome out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

TEST(CommandLine, VersionNamesTheProgramVersionAndRelease) {
    for (const char* flag : {"--version", "-V"}) {
        const Outcome out = RunDatapatch(flag);
        EXPECT_EQ(out.exitCode, 0) << flag;
        EXPECT_NE(out.output.find("하로나 DataPatchProgram Ver"), std::string::npos) << out.output;
        EXPECT_NE(out.output.find("20201221"), std::string::npos) << out.output;
    }
}

TEST(CommandLine, HelpListsTheOptionsAndExitCodes) {
    const Outcome out = RunDatapatch("--help");
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_NE(out.output.find("--root"), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("Exit codes"), std::string::npos) << out.output;
}

TEST(CommandLine, UnknownOptionIsAUsageError) {
    const Outcome out = RunDatapatch("--no-such-option");
    EXPECT_EQ(out.exitCode, 64) << out.output;
}

}  // namespace
