#pragma once
// What the subcommands share on the terminal: the Host on the chosen root, a Desktop that
// remembers the message boxes it showed, and the progress of a run drawn from the main window's
// model.
#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/run_record.h"
#include "commands.h"
#include "host/desktop.h"

namespace CLI {
class App;
}
namespace host {
class Host;
}
namespace util {
class Dialogs;
class frmDBPatchMainModel;
}  // namespace util

namespace cli {

// The Host on the root of the options; null, after a message on the error stream, when the
// root cannot be used. With createRoot a missing --root folder is created first.
std::unique_ptr<host::Host> OpenHost(const GlobalOptions& global, bool createRoot = false);

// The --answer yes|no option of the subcommands that may ask a Yes/No question.
void AddAnswerOption(CLI::App& cmd, std::string& answer);
// A console Desktop that answers every question as --answer says; with no answer it asks at a
// terminal and answers "no" elsewhere. Boxes go to `out` (and critical ones to the error stream).
std::unique_ptr<host::ConsoleDesktop> AnsweringConsole(const std::string& answer,
                                                       std::ostream& out);

// True when the stream is the process's standard output or error and that is a terminal.
bool IsTerminal(const std::ostream& stream);

// Shows every box through another Desktop and keeps their titles and texts. `beforeBox`, when
// set, runs before each box is shown (the progress clears its status line).
class RecordingDesktop : public host::Desktop {
  public:
    explicit RecordingDesktop(host::Desktop& inner) : inner_(inner) {}
    void BeforeBox(std::function<void()> hook) { beforeBox_ = std::move(hook); }
    host::MsgAnswer MessageBox(std::string_view text, std::string_view title, host::MsgIcon icon,
                               host::MsgButtons buttons) override;
    // Called after each yield to the window system.
    void OnDoEvents(std::function<void()> hook) { onDoEvents_ = std::move(hook); }
    void DoEvents() override {
        inner_.DoEvents();
        if (onDoEvents_) onDoEvents_();
    }
    void EndProgram(int exitCode) override { inner_.EndProgram(exitCode); }
    void SetMousePointer(host::MousePointer pointer) override { inner_.SetMousePointer(pointer); }
    host::MousePointer CurrentMousePointer() const override { return inner_.CurrentMousePointer(); }
    const std::vector<app::ShownBox>& Boxes() const { return boxes_; }

  private:
    host::Desktop& inner_;
    std::function<void()> beforeBox_;
    std::function<void()> onDoEvents_;
    std::vector<app::ShownBox> boxes_;
};

// Prints the run-list lines and the messages of the main window as they are added. On a terminal
// it also keeps one status line with the step mark (of 127) and its run-list line, or the repair
// that runs, and the repairs' rows done of their total with a rate, redrawn
// at most ten times a second; elsewhere (a log, a pipe) nothing but the lines is written.
class TerminalProgress {
  public:
    // `task` names what runs when it is not the catalogue (a repair): the status line then shows
    // it instead of the step.
    TerminalProgress(util::frmDBPatchMainModel& window, std::ostream& out, bool terminal,
                     std::string task = {});
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    // Takes the status line off the screen until the next change draws it again.
    void ClearStatus();
    // A repair that shows its rows in the progress window instead of the main window: Poll (at
    // each yield) draws that window's strip into the status line.
    void WatchProgressWindow(util::Dialogs& dialogs);
    void Poll();
    // Clears the status line; later changes of the window are not drawn.
    void Finish();

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace cli
