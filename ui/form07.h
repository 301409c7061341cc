// Form07, the input box: a prompt, a one-line entry field holding the default answer
// (selected, so typing replaces it), "OK" (Enter) and "Cancel" (Escape). The window grows
// with the prompt. Cancel, Escape and the window's close control all answer the empty text
// and set `cancelled`, which tells them from an emptied field.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace ui {

class message_text_view;

class Form07 final : public QDialog {
  public:
    Form07();

    // The shared state of a call: the prompt and the answer (the default text on entry).
    std::string text;
    std::string answer;
    bool cancelled = false;

    void settheme();
    void prepare_display();

    QLineEdit* entry() const { return txt_input; }
    QWidget* prompt() const;
    QPushButton* ok_button() const { return Command1; }
    QPushButton* cancel_button() const { return Command2; }

    void Command1_Click();
    void Command2_Click();

  protected:
    void reject() override;

  private:
    message_text_view* lab_title;
    QLineEdit* txt_input;
    QPushButton* Command1;
    QPushButton* Command2;
};

} // namespace ui
