// The datapatch command line: parses arguments and hands each subcommand to its file.
#include <CLI/CLI.hpp>
#include <iostream>

#include "app/process.h"
#include "app/version.h"
#include "exit_codes.h"

namespace {

void PrintVersion() {
    std::cout << "datapatch " << app::kVersionString << "\n"
              << app::BuildVersionText(app::kVersionMajor, app::kVersionMinor,
                                       app::kVersionRevision)
              << "\n"
              << "catalogue release 20201221\n";
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App cliApp{
        "datapatch brings a store's back-office database up to the layout of the current store "
        "software release.",
        "datapatch"};
    bool showVersion = false;
    cliApp.add_flag("-V,--version", showVersion, "Print the version and exit");
    std::string root;
    cliApp.add_option("--root", root,
                      "Folder that holds the virtual drives (C:\\ is <root>/c); default "
                      "$DATAPATCH_ROOT, then ~/.local/share/datapatch/root");
    cliApp.require_subcommand(0, 1);
    cliApp.footer(
        "Exit codes: 0 success, 1 a pass failed, 2 start-up ended, 3 handed to the migration "
        "tool, 64 usage.");
    try {
        cliApp.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = cliApp.exit(e);
        return code == 0 ? cli::kSuccess : cli::kUsage;
    }
    if (showVersion) {
        PrintVersion();
        return cli::kSuccess;
    }
    if (cliApp.get_subcommands().empty()) {
        std::cout << cliApp.help();
        return cli::kSuccess;
    }
    return cli::kSuccess;
}
