// Form08, the message box: a small modal window with an icon for the kind of message, the
// text, and "OK" or "Yes"/"No". It sizes itself to the text; a click on the text copies it
// to the clipboard; Y, Z and Enter answer OK/Yes, N answers No, whatever has the focus.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QScrollArea;

namespace ui {

class message_text_view;

class Form08 final : public QDialog {
  public:
    Form08();

    // The shared state of a call: the text, the kind and the result code.
    std::string text;
    int kind = 0;
    bool default_no = false; // a yes/no box whose Enter answers No
    int result = 1;

    void settheme();
    void prepare_display();

    // What the box shows (lines separated by "\n") and its controls, for tests.
    QString displayed_text() const;
    Qt::Alignment displayed_alignment() const;
    QPushButton* ok_button() const { return Command1; }
    QPushButton* no_button() const { return Command2; }
    QWidget* text_field() const;
    QLabel* shown_icon() const;

    void Command1_Click();
    void Command2_Click();
    void txt_title_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

  private:
    QLabel* img_ok;
    QLabel* img_ask;
    QLabel* img_err;
    QLabel* img_info;
    message_text_view* lab_title;
    QScrollArea* txt_title;
    message_text_view* txt_title_text;
    QPushButton* Command1;
    QPushButton* Command2;
};

// The 48 x 48 picture of a message kind (kinds 0, 4, 16 and 64).
QPixmap message_icon(int kind);

} // namespace ui
