#include "console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>

#include "host/host.h"
#include "util/byte_text.h"
#include "util/dialogs.h"
#include "util/main_window_model.h"

namespace cli {

std::unique_ptr<host::Host> OpenHost(const GlobalOptions& global, bool createRoot) {
    try {
        host::HostOptions options;
        if (!global.root.empty()) {
            if (createRoot) std::filesystem::create_directories(global.root);
            options.root = global.root;
        }
        return std::make_unique<host::Host>(options);
    } catch (const std::exception& e) {
        std::cerr << "datapatch: " << e.what() << "\n";
        return nullptr;
    }
}

void AddAnswerOption(CLI::App& cmd, std::string& answer) {
    cmd.add_option("--answer", answer,
                   "Answer every Yes/No question so; default: ask at a terminal, else no")
        ->check(CLI::IsMember({"yes", "no"}));
}

std::unique_ptr<host::ConsoleDesktop> AnsweringConsole(const std::string& answer,
                                                       std::ostream& out) {
    host::ConsoleDesktop::Options options;
    options.fixedAnswer = answer == "yes" ? host::MsgAnswer::Yes : host::MsgAnswer::No;
    const bool interactive = answer.empty() && isatty(STDIN_FILENO) == 1;
    return std::make_unique<host::ConsoleDesktop>(options, std::cin, out, std::cerr, interactive);
}

bool IsTerminal(const std::ostream& stream) {
    if (&stream == &std::cout) return isatty(STDOUT_FILENO) == 1;
    if (&stream == &std::cerr) return isatty(STDERR_FILENO) == 1;
    return false;
}

host::MsgAnswer RecordingDesktop::MessageBox(std::string_view text, std::string_view title,
                                             host::MsgIcon icon, host::MsgButtons buttons) {
    boxes_.push_back({std::string(title), std::string(text)});
    if (beforeBox_) beforeBox_();
    return inner_.MessageBox(text, title, icon, buttons);
}

namespace {

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col;
    return 80;
}

}  // namespace

struct TerminalProgress::State {
    using Control = util::frmDBPatchMainModel::Control;
    static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

    util::frmDBPatchMainModel& window;
    std::ostream& out;
    bool terminal;
    bool active = true;
    bool statusShown = false;
    std::size_t runLinesShown;
    std::size_t messagesShown;
    std::chrono::steady_clock::time_point lastDrawn{};
    std::string task;
    // Where the rows of the running repair started to be counted, for the rate.
    std::chrono::steady_clock::time_point rowsSince{};
    long long rowsFrom = -1;
    util::Dialogs* dialogs = nullptr;

    void ClearStatus() {
        if (!statusShown) return;
        out << "\r\033[K";
        statusShown = false;
    }
    void PrintNew(const std::vector<std::string>& lines, std::size_t& shown, const char* prefix) {
        if (shown >= lines.size()) return;
        ClearStatus();
        for (; shown < lines.size(); ++shown) out << prefix << lines[shown] << "\n";
        out.flush();
    }
    void DrawStatus(bool force) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - lastDrawn < kRedrawInterval) return;
        lastDrawn = now;
        // What runs, the rows of a running repair, then the text of what runs: the line is cut
        // at the terminal's width, and the text is what can best lose its end.
        std::string line;
        std::string text;
        if (!task.empty()) {
            line = task;
        } else {
            line =
                "단계 " + std::to_string(window.pg1.value) + "/" + std::to_string(window.pg1.max);
            if (!window.List1.lines.empty()) text = window.List1.lines.back();
        }
        // The rows of the running repair: the main window's bar, or the progress window's strip
        // for a repair that shows its own.
        long long done = 0;
        long long total = 0;
        if (window.PB2.max > 0 && window.PB2.value > 0 && window.PB2.value < window.PB2.max) {
            done = window.PB2.value;
            total = window.PB2.max;
        } else if (const util::frm02Msg* box = dialogs ? dialogs->LoadedProgressWindow() : nullptr;
                   box != nullptr && box->Shown()) {
            if (box->stepTotal > 0 && box->stepDone < box->stepTotal) {
                done = box->stepDone;
                total = box->stepTotal;
            } else {
                text = box->panMsg;
            }
        }
        if (total > 0) {
            if (rowsFrom < 0 || done < rowsFrom) {
                rowsFrom = done;
                rowsSince = now;
            }
            line += "  작업 " + std::to_string(done) + "/" + std::to_string(total);
            const double seconds = std::chrono::duration<double>(now - rowsSince).count();
            if (seconds >= 1.0) {
                line += "  " + std::to_string(static_cast<long long>((done - rowsFrom) / seconds)) +
                        "/s";
            }
        } else {
            rowsFrom = -1;
        }
        if (!text.empty()) line += "  " + text;
        // A status line wider than the terminal would wrap, and "\r" would then clear only its
        // last row: it is cut to the width (a Hangul syllable takes two columns, as its two
        // code-page bytes).
        out << "\r\033[K" << util::SliceBytes(line, 0, TerminalColumns() - 1);
        out.flush();
        statusShown = true;
    }
    void Changed(Control c) {
        if (!active) return;
        switch (c) {
            case Control::List1:
                PrintNew(window.List1.lines, runLinesShown, "");
                break;
            case Control::lv메세지:
                PrintNew(window.lv메세지.lines, messagesShown, "* ");
                break;
            case Control::pg1:
                if (terminal) DrawStatus(true);
                break;
            case Control::PB2:
                if (terminal) DrawStatus(false);
                break;
            default:
                break;
        }
    }
};

TerminalProgress::TerminalProgress(util::frmDBPatchMainModel& window, std::ostream& out,
                                   bool terminal, std::string task)
    : state_(std::make_shared<State>(State{window,
                                           out,
                                           terminal,
                                           true,
                                           false,
                                           window.List1.lines.size(),
                                           window.lv메세지.lines.size(),
                                           {},
                                           std::move(task),
                                           {},
                                           -1})) {
    // The window keeps its observers for its whole life; once this object is gone the observer
    // finds the state inactive.
    std::weak_ptr<State> weak = state_;
    window.Observe([weak](util::frmDBPatchMainModel::Control c) {
        if (auto s = weak.lock()) s->Changed(c);
    });
}

TerminalProgress::~TerminalProgress() {
    Finish();
}

void TerminalProgress::ClearStatus() {
    state_->ClearStatus();
    state_->out.flush();
}

void TerminalProgress::WatchProgressWindow(util::Dialogs& dialogs) {
    state_->dialogs = &dialogs;
}

void TerminalProgress::Poll() {
    if (state_->active && state_->terminal) state_->DrawStatus(false);
}

void TerminalProgress::Finish() {
    state_->ClearStatus();
    state_->out.flush();
    state_->active = false;
}

}  // namespace cli
