// mymsgbox and myinputbox through the program's own windows, the word breaking of long
// message words, and the messages of a HEX read.
#include "ui/message_boxes.h"

#include "core/host_hooks.h"
#include "ui/form07.h"
#include "ui/form08.h"

#include <QString>
#include <QStringList>

namespace ui {

namespace {

const QString crlf = QStringLiteral("\r\n");

// 0-based index of the last of `characters` within the first long_word_limit characters.
qsizetype last_break_at(const QString& word, const QString& characters) {
    for (qsizetype i = std::min<qsizetype>(word.size(), long_word_limit); i-- > 0;)
        if (characters.contains(word[i]))
            return i;
    return -1;
}

// Shows a box modally under `title`, or under the program's name when it is empty.
template <class Box> void run_box(Box& box, const std::string& title) {
    box.setWindowTitle(QString::fromStdString(title.empty() ? core::app_title : title));
    box.prepare_display();
    box.exec();
}

} // namespace

std::string breaklongwords(const std::string& text) {
    QString all = QString::fromStdString(text);
    if (all.endsWith(crlf))
        all.chop(2);
    QStringList lines = all.split(crlf);
    for (QString& line : lines) {
        QStringList words = line.split(QLatin1Char(' '));
        for (QString& word : words) {
            if (word.size() <= long_word_limit)
                continue;
            qsizetype at = last_break_at(word, QStringLiteral("/\\"));
            if (at < 0)
                at = last_break_at(word, QStringLiteral("_"));
            if (at >= 0)
                word = word.left(at + 1) + crlf + word.mid(at + 1);
        }
        line = words.join(QLatin1Char(' '));
    }
    return lines.join(crlf).toStdString();
}

int mymsgbox_window(const std::string& text, int kind, const std::string& title) {
    Form08 box;
    box.text = text;
    box.kind = kind & ~core::msg_default_no;
    box.default_no = (kind & core::msg_default_no) != 0;
    run_box(box, title);
    return box.result;
}

std::optional<std::string> myinputbox_window(const std::string& prompt, const std::string& title,
                                             const std::string& default_text) {
    Form07 box;
    box.text = prompt;
    box.answer = default_text;
    run_box(box, title);
    if (box.cancelled)
        return std::nullopt;
    return box.answer;
}

void show_hex_read(const image::hex_read_result& read) {
    if (!read.failure.ok())
        core::mymsgbox(image::failure_text(read.failure), core::msg_error, core::app_title);
    else if (!read.warning.ok())
        core::mymsgbox(image::failure_text(read.warning), core::msg_information, core::app_title);
}

} // namespace ui
