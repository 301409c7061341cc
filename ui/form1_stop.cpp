// Ending an operation from the window: the Stop button (and Esc), shown only while an
// operation drives the port, and a close of the window during one, which asks first. Both
// stop the run as an interrupt stops the CLI's: at its next instruction, with VDD and VPP
// switched off, and the status line says so.
#include "core/host_hooks.h"
#include "interpreter/algorithm_run.h"
#include "ui/form1.h"

#include <QCloseEvent>
#include <QPushButton>

namespace ui {

void Form1::operation_started() {
    operation_running_ = true;
    stop_button->setEnabled(true);
    stop_button->show();
    stop_button->raise();
    disable();
}

void Form1::operation_ended() {
    operation_running_ = false;
    stop_button->hide();
    enable();
}

void Form1::stop_operation() {
    if (!operation_running_)
        return;
    Module1::cancel_requested.store(true);
    stop_button->setEnabled(false);
}

// While the question is open the run waits where it let the window in, powered, until the
// answer; Yes stops it, and the window closes once the supplies are off and the simulated
// chip is saved.
void Form1::closeEvent(QCloseEvent* event) {
    if (!operation_running_) {
        event->accept();
        return;
    }
    event->ignore();
    if (close_after_operation_)
        return;
    // Already being stopped (Stop, or a stop signal whose quit closes the windows): the
    // window closes once it has ended, without a question.
    if (Module1::cancel_requested.load()) {
        close_after_operation_ = true;
        return;
    }
    const std::string name = running_command_.empty() ? "A chip operation" : running_command_;
    if (core::mymsgbox(name + " is running. Stop the operation and close the window?\r\n\r\n"
                              "Yes switches VDD and VPP off at its next step (a chip being "
                              "written is left partly written: program it again later). "
                              "No lets it go on.",
                       core::msg_yes_no | core::msg_default_no, "") != core::result_yes)
        return;
    close_after_operation_ = true;
    Module1::cancel_requested.store(true);
}

void Form1::finish_command() {
    if (!close_after_operation_)
        return;
    close_after_operation_ = false;
    close();
}

} // namespace ui
