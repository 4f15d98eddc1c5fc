#pragma once
// The Desktop port: message boxes, the Yes/No question, yielding to the window system, ending the
// program and the screen's mouse pointer. It lives in host/ because the database layer, below the
// application, asks the user through it when a connection drops. Implementations: the Qt one (in
// the window layer), ConsoleDesktop for headless runs and ScriptedDesktop for tests.
#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Values as the Windows message box knows them, so that callers can store and compare them.
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MsgButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4 };
enum class MsgAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
enum class MousePointer { Default = 0, Hourglass = 11 };

class Desktop {
  public:
    virtual ~Desktop() = default;

    // Shows a modal message box and returns the button chosen. An empty title stands for the
    // application's default title.
    virtual MsgAnswer MessageBox(std::string_view text, std::string_view title, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // Lets the window system process the events that are pending, once.
    virtual void DoEvents() = 0;
    // Ends the program with the exit code. The scripted implementation records the request and
    // returns, so a caller returns right after asking.
    virtual void EndProgram(int exitCode) = 0;
    virtual void SetMousePointer(MousePointer pointer) = 0;
    virtual MousePointer CurrentMousePointer() const = 0;

    // An OK box with the given icon.
    void Inform(std::string_view text, std::string_view title = {},
                MsgIcon icon = MsgIcon::Information) {
        MessageBox(text, title, icon, MsgButtons::Ok);
    }
    // A Yes/No box; true when the answer is Yes.
    bool AskYesNo(std::string_view text, std::string_view title, MsgIcon icon = MsgIcon::Question) {
        return MessageBox(text, title, icon, MsgButtons::YesNo) == MsgAnswer::Yes;
    }
};

// Boxes printed as "[title] text" (critical and exclamation boxes on the error stream). A
// question is asked at the terminal when input is interactive; otherwise it gets the fixed
// answer. Boxes with only an OK button answer OK.
class ConsoleDesktop : public Desktop {
  public:
    struct Options {
        MsgAnswer fixedAnswer = MsgAnswer::No;
        std::string defaultTitle = "datapatch";
    };
    // Uses the process's standard streams; input is interactive when stdin is a terminal.
    explicit ConsoleDesktop(Options options);
    ConsoleDesktop() : ConsoleDesktop(Options{}) {}
    // Uses the given streams (tests).
    ConsoleDesktop(Options options, std::istream& in, std::ostream& out, std::ostream& err,
                   bool interactive);

    MsgAnswer MessageBox(std::string_view text, std::string_view title, MsgIcon icon,
                         MsgButtons buttons) override;
    void DoEvents() override;
    void EndProgram(int exitCode) override;
    void SetMousePointer(MousePointer pointer) override { pointer_ = pointer; }
    MousePointer CurrentMousePointer() const override { return pointer_; }

  private:
    MsgAnswer Ask(std::string_view text, MsgButtons buttons);

    Options options_;
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool interactive_;
    MousePointer pointer_ = MousePointer::Default;
};

// Records every call and answers message boxes from a queue. A queued entry is either a fixed
// answer or a function that runs when the box is shown (a test's hook) and returns the answer.
// With the queue empty, boxes answer `fallback` (OK for a box with only an OK button).
class ScriptedDesktop : public Desktop {
  public:
    enum class CallKind { MessageBox, DoEvents, EndProgram, SetMousePointer };
    struct Call {
        CallKind kind = CallKind::MessageBox;
        std::string text;
        std::string title;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        MsgAnswer answer = MsgAnswer::Ok;
        int exitCode = 0;
        MousePointer pointer = MousePointer::Default;
    };
    using Responder = std::function<MsgAnswer(const Call&)>;

    explicit ScriptedDesktop(MsgAnswer fallback = MsgAnswer::No) : fallback_(fallback) {}

    void QueueAnswer(MsgAnswer answer);
    void QueueResponder(Responder responder);
    // Runs at every DoEvents, after it has been recorded.
    void OnDoEvents(std::function<void()> hook) { onDoEvents_ = std::move(hook); }

    MsgAnswer MessageBox(std::string_view text, std::string_view title, MsgIcon icon,
                         MsgButtons buttons) override;
    void DoEvents() override;
    void EndProgram(int exitCode) override;
    void SetMousePointer(MousePointer pointer) override;
    MousePointer CurrentMousePointer() const override { return pointer_; }

    const std::vector<Call>& Calls() const { return calls_; }
    std::vector<Call> CallsOf(CallKind kind) const;
    bool Ended() const { return ended_; }

  private:
    static Call NewCall(CallKind kind);

    MsgAnswer fallback_;
    std::deque<Responder> answers_;
    std::function<void()> onDoEvents_;
    std::vector<Call> calls_;
    MousePointer pointer_ = MousePointer::Default;
    bool ended_ = false;
};

}  // namespace host
