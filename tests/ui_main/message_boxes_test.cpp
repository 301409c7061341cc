// The message box (Form08) and the input box (Form07): layout rules, buttons, keys,
// closing by the window's control, click-to-copy, and mymsgbox/myinputbox end to end.
#include "window_fixture.h"

#include "core/host_hooks.h"
#include "ui/form07.h"
#include "ui/form08.h"
#include "ui/gui_hooks.h"
#include "ui/message_boxes.h"
#include "ui/window_scale.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class MessageBoxes : public test_ui::SettingsFolder {
  protected:
    void SetUp() override {
        SettingsFolder::SetUp();
        ui::install_window_less_hooks();
    }
    void TearDown() override { core::install_hooks(core::default_hooks()); }

    // A laid-out box of `kind` showing `text`, not yet shown.
    static std::unique_ptr<ui::Form08> box_for(const std::string& text, int kind) {
        auto box = std::make_unique<ui::Form08>();
        box->text = text;
        box->kind = kind;
        box->prepare_display();
        return box;
    }
};

TEST_F(MessageBoxes, OneLineIsCentredAndSeveralLinesAreLeftAligned) {
    EXPECT_EQ(box_for("Wrong entry!", 16)->displayed_alignment(), Qt::AlignHCenter);
    EXPECT_EQ(box_for("first\r\nsecond", 0)->displayed_alignment(), Qt::AlignLeft);
}

TEST_F(MessageBoxes, BoxGrowsWithTheTextAndButtonsFollow) {
    const auto one = box_for("line", 0);
    const auto three = box_for("line\r\nline\r\nline", 0);
    const int extra = three->height() - one->height();
    EXPECT_GT(extra, 0);
    EXPECT_EQ(three->ok_button()->y() - one->ok_button()->y(), extra);
    EXPECT_EQ(three->width(), one->width()); // the width is fixed
    // The OK button keeps its design distance from the right and bottom edges.
    const ui::twips_scale& scale = ui::window_scale();
    EXPECT_EQ(one->width() - one->ok_button()->x(), scale.length(915));
    EXPECT_EQ(one->height() - one->ok_button()->y(), scale.length(375));
    // The whole text is inside the visible field.
    EXPECT_GE(three->text_field()->height(),
              3 * QFontMetrics(three->text_field()->font()).lineSpacing());
}

TEST_F(MessageBoxes, KindsChooseIconAndButtons) {
    struct case_t {
        int kind;
        bool icon;
        const char* ok_caption;
        bool no_button;
    };
    for (const case_t c :
         {case_t{0, true, "OK", false}, case_t{4, true, "Yes", true}, case_t{16, true, "OK", false},
          case_t{64, true, "OK", false}, case_t{5, false, "OK", false}}) {
        const auto box = box_for("text", c.kind);
        EXPECT_EQ(box->shown_icon() != nullptr, c.icon) << "kind " << c.kind;
        EXPECT_EQ(box->ok_button()->text(), c.ok_caption) << "kind " << c.kind;
        EXPECT_EQ(!box->no_button()->isHidden(), c.no_button) << "kind " << c.kind;
    }
    const auto question = box_for("Sure?", 4);
    EXPECT_LT(question->ok_button()->x(), question->no_button()->x()); // Yes left of No
}

TEST_F(MessageBoxes, KeysAndCloseAnswer) {
    struct case_t {
        int kind;
        int key; // 0: close by the window's control
        int result;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    };
    const case_t cases[] = {
        {16, Qt::Key_N, 7},
        {4, Qt::Key_Z, 6},
        {4, Qt::Key_Y, 6},
        {4, Qt::Key_Return, 6},
        {4, Qt::Key_Escape, 7},
        {4, Qt::Key_N, 7},
        {0, Qt::Key_Escape, 1},
        {64, Qt::Key_Enter, 1},
        {4, 0, 7},
        {16, 0, 1},
        {4, Qt::Key_Y, 6, Qt::ShiftModifier}, // letters count whatever the shift state
        {4, Qt::Key_N, 7, Qt::ShiftModifier},
    };
    for (const case_t& c : cases) {
        auto box = box_for("Question", c.kind);
        const auto answered = test_ui::on_next_modal([&](QWidget* modal) {
            if (c.key == 0)
                modal->close();
            else
                QTest::keyClick(modal, static_cast<Qt::Key>(c.key), c.modifiers);
        });
        box->exec();
        EXPECT_TRUE(*answered);
        EXPECT_EQ(box->result, c.result) << "kind " << c.kind << " key " << c.key;
    }
}

TEST_F(MessageBoxes, EnterOnTheFocusedNoButtonAnswersNo) {
    auto box = box_for("Overwrite?", 4);
    test_ui::on_next_modal([&](QWidget*) {
        box->no_button()->setFocus();
        QTest::keyClick(box->no_button(), Qt::Key_Return);
    });
    box->exec();
    EXPECT_EQ(box->result, 7);
}

TEST_F(MessageBoxes, ClickCopiesTheBrokenTextAndLeavesTheBoxOpen) {
    const std::string path = "/home/someone/projects/firmware/release/build/controller_board.hex";
    const std::string text = "Do you want to overwrite file " + path + "?";
    auto box = box_for(text, 4);
    EXPECT_EQ(box->displayed_text().toStdString(),
              "Do you want to overwrite file /home/someone/projects/firmware/release/build/\n"
              "controller_board.hex?");
    box->show();
    QGuiApplication::clipboard()->setText("something else");
    QTest::mouseClick(box->text_field(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), box->displayed_text());
    EXPECT_TRUE(box->isVisible());
    box->close();
}

TEST_F(MessageBoxes, MymsgboxThroughTheHooksTakesTheProgramTitle) {
    QString title;
    const auto answered = test_ui::on_next_modal([&](QWidget* modal) {
        title = modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Y);
    });
    EXPECT_EQ(core::mymsgbox("Sure?", core::msg_yes_no, ""), core::result_yes);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(title, "Tarvellic Pinwright");
}

TEST_F(MessageBoxes, InputBoxDefaultOkCancelAndClose) {
    // The default is shown selected, so typing replaces it.
    auto answered = test_ui::on_next_modal([](QWidget* modal) {
        auto* box = dynamic_cast<ui::Form07*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->entry()->text(), "5");
        EXPECT_EQ(box->entry()->selectedText(), "5");
        QTest::keyClicks(box->entry(), "14");
        QTest::keyClick(box->entry(), Qt::Key_Return);
    });
    EXPECT_EQ(core::myinputbox("Enter new programming time in ms [1-30].", "", "5"), "14");
    EXPECT_TRUE(*answered);

    for (const int how : {0, 1, 2}) { // Cancel button, Escape, the window's close control
        answered = test_ui::on_next_modal([how](QWidget* modal) {
            auto* box = dynamic_cast<ui::Form07*>(modal);
            ASSERT_NE(box, nullptr);
            if (how == 0)
                box->cancel_button()->click();
            else if (how == 1)
                QTest::keyClick(box->entry(), Qt::Key_Escape);
            else
                box->close();
        });
        EXPECT_EQ(core::myinputbox("Port?", "", "2"), "") << "way " << how;
        EXPECT_TRUE(*answered);
    }
}

TEST_F(MessageBoxes, ThreeLinePromptMovesEntryAndButtonsDownByTheExtraHeight) {
    auto layout = [](const std::string& prompt) {
        auto box = std::make_unique<ui::Form07>();
        box->text = prompt;
        box->answer = "x";
        box->prepare_display();
        return box;
    };
    const auto one = layout("one line");
    const auto three = layout("one\r\ntwo\r\nthree");
    const int extra = three->prompt()->height() - one->prompt()->height();
    EXPECT_GT(extra, 0);
    EXPECT_EQ(three->entry()->y() - one->entry()->y(), extra);
    EXPECT_EQ(three->ok_button()->y() - one->ok_button()->y(), extra);
    EXPECT_EQ(three->height() - one->height(), extra);
    EXPECT_EQ(three->width(), one->width());
}

} // namespace
