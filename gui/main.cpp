// datapatch-gui: the desktop program. Start-up as the command line does it, with every message
// box a real dialog; then the main window until it is closed or its exit button is clicked.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/main_sequence.h"
#include "db/embedded/page_memory.h"
#include "gui/gui_session.h"
#include "gui/main_window.h"
#include "gui/qt_desktop.h"
#include "host/host.h"

namespace {

// As the command line's: 2 start-up ended, 3 handed to the migration tool, 64 usage.
int StartupExitCode(app::StartupOutcome outcome) {
    return outcome == app::StartupOutcome::HandedToMigration ? 3 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A file that reaches the size limit is an error of the write, not a signal that kills.
    std::signal(SIGXFSZ, SIG_IGN);
    db::embedded::UsePageRegion();
    CLI::App cli{"The desktop window of datapatch.", "datapatch-gui"};
    std::string root;
    cli.add_option("--root", root,
                   "Folder that holds the virtual drives (C:\\ is <root>/c); default "
                   "$DATAPATCH_ROOT, then ~/.local/share/datapatch/root");
    cli.allow_extras();  // Qt's own options (-platform, …)
    CLI11_PARSE(cli, argc, argv);

    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        std::cerr << "datapatch-gui: no display to open the window on (set DISPLAY, run it "
                     "under xvfb-run, or use the datapatch command line)\n";
        return 64;
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    gui::UseKoreanFont();

    std::unique_ptr<host::Host> host;
    try {
        host::HostOptions options;
        if (!root.empty()) options.root = root;
        host = std::make_unique<host::Host>(options);
    } catch (const std::exception& e) {
        std::cerr << "datapatch-gui: " << e.what() << "\n";
        return 64;
    }
    gui::GuiSession session(*host);
    const app::StartupResult started = session.Start();
    if (session.Window() == nullptr) return StartupExitCode(started.outcome);
    const int code = QApplication::exec();
    return session.Desktop().EndRequested() ? session.Desktop().ExitCode() : code;
}
