#include "host/desktop.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <span>

namespace host {
namespace {

struct ButtonChoice {
    MsgAnswer answer;
    char key;
    const char* label;
};

constexpr ButtonChoice kOk{MsgAnswer::Ok, 'o', "OK"};
constexpr ButtonChoice kCancel{MsgAnswer::Cancel, 'c', "Cancel"};
constexpr ButtonChoice kAbort{MsgAnswer::Abort, 'a', "Abort"};
constexpr ButtonChoice kRetry{MsgAnswer::Retry, 'r', "Retry"};
constexpr ButtonChoice kIgnore{MsgAnswer::Ignore, 'i', "Ignore"};
constexpr ButtonChoice kYes{MsgAnswer::Yes, 'y', "Yes"};
constexpr ButtonChoice kNo{MsgAnswer::No, 'n', "No"};

constexpr ButtonChoice kOkOnly[] = {kOk};
constexpr ButtonChoice kOkCancel[] = {kOk, kCancel};
constexpr ButtonChoice kAbortRetryIgnore[] = {kAbort, kRetry, kIgnore};
constexpr ButtonChoice kYesNoCancel[] = {kYes, kNo, kCancel};
constexpr ButtonChoice kYesNo[] = {kYes, kNo};

std::span<const ButtonChoice> ChoicesOf(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return kOkOnly;
        case MsgButtons::OkCancel:
            return kOkCancel;
        case MsgButtons::AbortRetryIgnore:
            return kAbortRetryIgnore;
        case MsgButtons::YesNoCancel:
            return kYesNoCancel;
        case MsgButtons::YesNo:
            return kYesNo;
    }
    return kOkOnly;
}

// The preferred answer when it is one of the box's buttons, else the box's last button (the
// one that declines).
MsgAnswer AnswerWithin(MsgButtons buttons, MsgAnswer preferred) {
    auto choices = ChoicesOf(buttons);
    for (const auto& c : choices) {
        if (c.answer == preferred) return preferred;
    }
    return choices.back().answer;
}

}  // namespace

ConsoleDesktop::ConsoleDesktop(Options options)
    : ConsoleDesktop(std::move(options), std::cin, std::cout, std::cerr,
                     isatty(STDIN_FILENO) == 1) {}

ConsoleDesktop::ConsoleDesktop(Options options, std::istream& in, std::ostream& out,
                               std::ostream& err, bool interactive)
    : options_(std::move(options)), in_(in), out_(out), err_(err), interactive_(interactive) {}

MsgAnswer ConsoleDesktop::MessageBox(std::string_view text, std::string_view title, MsgIcon icon,
                                     MsgButtons buttons) {
    const bool alarming = icon == MsgIcon::Critical || icon == MsgIcon::Exclamation;
    std::ostream& os = alarming ? err_ : out_;
    os << "[" << (title.empty() ? std::string_view(options_.defaultTitle) : title) << "] " << text
       << "\n";
    os.flush();
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return Ask(text, buttons);
}

MsgAnswer ConsoleDesktop::Ask(std::string_view, MsgButtons buttons) {
    const MsgAnswer fixed = AnswerWithin(buttons, options_.fixedAnswer);
    if (!interactive_) return fixed;
    auto choices = ChoicesOf(buttons);
    for (;;) {
        for (const auto& c : choices) out_ << "(" << c.key << ")" << c.label + 1 << " ";
        out_ << "? ";
        out_.flush();
        std::string line;
        if (!std::getline(in_, line)) return fixed;
        auto first = std::find_if(line.begin(), line.end(),
                                  [](unsigned char ch) { return !std::isspace(ch); });
        if (first == line.end()) continue;
        const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(*first)));
        for (const auto& c : choices) {
            if (c.key == key) return c.answer;
        }
    }
}

void ConsoleDesktop::DoEvents() {
    out_.flush();
}

void ConsoleDesktop::EndProgram(int exitCode) {
    out_.flush();
    err_.flush();
    std::exit(exitCode);
}

ScriptedDesktop::Call ScriptedDesktop::NewCall(CallKind kind) {
    Call call;
    call.kind = kind;
    return call;
}

void ScriptedDesktop::QueueAnswer(MsgAnswer answer) {
    answers_.push_back([answer](const Call&) { return answer; });
}

void ScriptedDesktop::QueueResponder(Responder responder) {
    answers_.push_back(std::move(responder));
}

MsgAnswer ScriptedDesktop::MessageBox(std::string_view text, std::string_view title, MsgIcon icon,
                                      MsgButtons buttons) {
    Call call = NewCall(CallKind::MessageBox);
    call.text = text;
    call.title = title;
    call.icon = icon;
    call.buttons = buttons;
    if (answers_.empty()) {
        call.answer = AnswerWithin(buttons, fallback_);
    } else {
        Responder next = std::move(answers_.front());
        answers_.pop_front();
        call.answer = next(call);
    }
    calls_.push_back(call);
    return call.answer;
}

void ScriptedDesktop::DoEvents() {
    calls_.push_back(NewCall(CallKind::DoEvents));
    if (onDoEvents_) onDoEvents_();
}

void ScriptedDesktop::EndProgram(int exitCode) {
    Call call = NewCall(CallKind::EndProgram);
    call.exitCode = exitCode;
    calls_.push_back(call);
    ended_ = true;
}

void ScriptedDesktop::SetMousePointer(MousePointer pointer) {
    Call call = NewCall(CallKind::SetMousePointer);
    call.pointer = pointer;
    calls_.push_back(call);
    pointer_ = pointer;
}

std::vector<ScriptedDesktop::Call> ScriptedDesktop::CallsOf(CallKind kind) const {
    std::vector<Call> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [kind](const Call& c) { return c.kind == kind; });
    return out;
}

}  // namespace host
