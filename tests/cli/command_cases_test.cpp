// Runs the command cases of cases/commands.txt (their form is described at the top of the file).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "fixtures/program_runner.h"
#include "host/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using db::embedded::testing::Block;

using CommandCases = fixtures::ProgramRoot<>;

TEST_F(CommandCases, EachCommandGivesItsExitCodeAndOutput) {
    const std::string file = std::string(DATAPATCH_TESTS_DIR) + "/cli/cases/commands.txt";
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    for (const Block& block : db::embedded::testing::ReadBlocks(in, file)) {
        SCOPED_TRACE(file + ":" + std::to_string(block.lines.front()));
        std::string args, exitCode;
        std::vector<std::string> shown;
        for (auto [key, value] : block) {
            // Continuation lines are joined with a line feed here.
            for (std::size_t at; (at = value.find("\r\n")) != std::string::npos;) {
                value.replace(at, 2, "\n");
            }
            if (key == "root") {
                fs::remove_all(Root());
                if (value != "none") {
                    ASSERT_EQ(Datapatch(value).exitCode, 0) << value;
                }
            } else if (key == "script" || key == "input") {
                host_test::WriteBytes(temp_.Path() / key, value + "\n");
                args += (key == "input" ? " < " : " ") +
                        fixtures::Quoted((temp_.Path() / key).string());
            } else if (key == "run") {
                args = value + args;
            } else if (key == "exit") {
                exitCode = value;
            } else if (key == "shows") {
                shown.push_back(value);
            } else {
                ADD_FAILURE() << "no such key: " << key;
            }
        }
        const fixtures::Outcome out = Datapatch(args);
        EXPECT_EQ(std::to_string(out.exitCode), exitCode) << args << "\n" << out.output;
        for (const std::string& text : shown) {
            EXPECT_NE(out.output.find(text), std::string::npos) << text << "\n" << out.output;
        }
    }
}

}  // namespace
