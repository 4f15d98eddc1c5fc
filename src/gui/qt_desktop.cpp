#include "gui/qt_desktop.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "gui/qt_text.h"

namespace gui {
namespace {

QMessageBox::Icon IconOf(host::MsgIcon icon) {
    switch (icon) {
        case host::MsgIcon::Critical:
            return QMessageBox::Critical;
        case host::MsgIcon::Question:
            return QMessageBox::Question;
        case host::MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case host::MsgIcon::Information:
            return QMessageBox::Information;
        case host::MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    host::MsgAnswer answer;
};

std::vector<ButtonSpec> ButtonsOf(host::MsgButtons buttons) {
    using A = host::MsgAnswer;
    using B = QMessageBox;
    switch (buttons) {
        case host::MsgButtons::Ok:
            return {{B::Ok, A::Ok}};
        case host::MsgButtons::OkCancel:
            return {{B::Ok, A::Ok}, {B::Cancel, A::Cancel}};
        case host::MsgButtons::AbortRetryIgnore:
            return {{B::Abort, A::Abort}, {B::Retry, A::Retry}, {B::Ignore, A::Ignore}};
        case host::MsgButtons::YesNoCancel:
            return {{B::Yes, A::Yes}, {B::No, A::No}, {B::Cancel, A::Cancel}};
        case host::MsgButtons::YesNo:
            return {{B::Yes, A::Yes}, {B::No, A::No}};
    }
    return {{B::Ok, A::Ok}};
}

// What closing the box with Escape or the title bar's button answers.
host::MsgAnswer EscapeAnswer(host::MsgButtons buttons) {
    switch (buttons) {
        case host::MsgButtons::OkCancel:
        case host::MsgButtons::YesNoCancel:
            return host::MsgAnswer::Cancel;
        case host::MsgButtons::YesNo:
            return host::MsgAnswer::No;
        case host::MsgButtons::AbortRetryIgnore:
            return host::MsgAnswer::Abort;
        case host::MsgButtons::Ok:
            break;
    }
    return host::MsgAnswer::Ok;
}

}  // namespace

host::MsgAnswer QtDesktop::MessageBox(std::string_view text, std::string_view title,
                                      host::MsgIcon icon, host::MsgButtons buttons) {
    if (beforeEvents_) beforeEvents_();
    QMessageBox box(IconOf(icon), Q(title.empty() ? std::string_view(defaultTitle_) : title),
                    Q(text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setObjectName("MsgBox");
    const std::vector<ButtonSpec> specs = ButtonsOf(buttons);
    for (const ButtonSpec& spec : specs) box.addButton(spec.button);
    box.setDefaultButton(specs.front().button);
    // The hourglass of a long routine is not the pointer of a question.
    const bool hourglass = QApplication::overrideCursor() != nullptr;
    if (hourglass) QApplication::setOverrideCursor(Qt::ArrowCursor);
    if (onBox_) onBox_(box);
    box.exec();
    if (hourglass) QApplication::restoreOverrideCursor();
    QAbstractButton* clicked = box.clickedButton();
    for (const ButtonSpec& spec : specs) {
        if (clicked != nullptr && box.standardButton(clicked) == spec.button) return spec.answer;
    }
    return EscapeAnswer(buttons);
}

void QtDesktop::DoEvents() {
    if (beforeEvents_) beforeEvents_();
    QApplication::processEvents(QEventLoop::AllEvents);
}

void QtDesktop::EndProgram(int exitCode) {
    endRequested_ = true;
    exitCode_ = exitCode;
    QApplication::exit(exitCode);
}

void QtDesktop::SetMousePointer(host::MousePointer pointer) {
    if (pointer == pointer_) return;
    pointer_ = pointer;
    if (pointer == host::MousePointer::Hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    }
}

}  // namespace gui
