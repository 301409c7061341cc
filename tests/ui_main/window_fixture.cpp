// The window tests' application, folders, database and modal helpers.
#include "window_fixture.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/port_backend.h"
#include "hardware/port_session.h"
#include "interpreter/program_state.h"
#include "settings/program_values.h"
#include "ui/form08.h"
#include "ui/gui_hooks.h"
#include "ui/table_widgets.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace test_ui {

namespace {

class qt_environment final : public ::testing::Environment {
  public:
    void SetUp() override {
        // A runtime folder of the test's own, for the single-instance lock.
        if (runtime_.isValid()) {
            QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner |
                                                       QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner);
            ::setenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit().constData(), 1);
        }
        application_ = std::make_unique<QApplication>(argc_, argv_);
        // Tests close windows; that must never end the process's event loops.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { application_.reset(); }

  private:
    QTemporaryDir runtime_;
    int argc_ = 1;
    char name_[16] = "test_ui_main";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new qt_environment);

std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string model_lines(const std::string& name, int flash, int eeprom, int algorithms,
                        const std::string& device_id = {}) {
    const std::string a = std::to_string(algorithms);
    const std::string id =
        device_id.empty() ? "" : crlf({"deviceid: " + device_id, "deviceidmask: FFF0"});
    return crlf({"model: " + name, "flash: " + std::to_string(flash),
                 "eeprom: " + std::to_string(eeprom),
                 "configerased: 00,07,1F,1F,00,83,85,00,0F,C0,0F,E0,0F,40", "voltageseq: vddvpp",
                 "progtime: 1", "pagesize: 8", "erasealg: " + a, "programalg: " + a,
                 "readalg: " + a, "blankcheckalg: " + a, "verifyalg: " + a}) +
           id;
}

// One HEX record with its checksum.
std::string record(const std::string& body) {
    return ":" + body + core::hex_checksum(body) + "\r\n";
}

} // namespace

std::string test_database_text() {
    const std::string set_pointer_zero = "s00-0e00,s00-6ef8,s00-0e00,s00-6ef7,s00-0e00,s00-6ef6";
    std::string text = crlf({
        "# Test database of the window tests.",
        // FLASH programmed eight bytes per cycle from address 0 to the used page's end.
        "programalgdef 1: begin,s00-8ea6,s00-9ca6,calcflashpage,setflashloop,movlw-upper,"
        "s00-6ef8,movlw-high,s00-6ef7,movlw-low,s00-6ef6,s0d-flash,s0d-flash,s0d-flash,"
        "s0f-flash,startprog,loop,end",
        "verifyalgdef 1: begin," + set_pointer_zero +
            ",calcflash,setflashloop,temp=s09,checkflash,loop,end",
        "readalgdef 1: begin," + set_pointer_zero + ",setflashloop,flash=s09,loop,end",
        "erasealgdef 1: begin,end",
        "blankcheckalgdef 1: begin," + set_pointer_zero +
            ",calcflash,setflashloop,temp=s09,checkblankflash,loop,end",
        "programalgdef 2: begin,end",
        "verifyalgdef 2: begin,end",
        "readalgdef 2: begin,end",
        "erasealgdef 2: begin,end",
        "blankcheckalgdef 2: begin,end",
    });
    text += model_lines("PIC18F4520", 32768, 256, 1, "1080");
    text += model_lines("PIC18F2520", 32768, 256, 1, "1100");
    text += model_lines("PIC18F4420", 16384, 256, 1, "10C0");
    text += model_lines("PIC18F2420", 16384, 256, 1, "1140");
    text += model_lines("PIC18FTINY", 64, 0, 2);
    return text;
}

std::string sample_hex_text() {
    std::string data(32, '1');
    return record("020000040000") + record("10000000" + data) +
           record("10" + core::hex4(0x7FF0) + "00" + data) + record("0200000400F0") +
           record("020000001234") + record("00000001");
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void move_pointer(QWidget* widget, QPoint where) {
    QMouseEvent move(QEvent::MouseMove, QPointF(where), QPointF(widget->mapToGlobal(where)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void answer_in_turn(std::shared_ptr<std::vector<std::string>> texts, std::vector<Qt::Key> keys) {
    if (keys.empty())
        return;
    test_ui::on_next_modal([texts, keys](QWidget* modal) {
        auto* box = dynamic_cast<ui::Form08*>(modal);
        ASSERT_NE(box, nullptr);
        texts->push_back(box->displayed_text().toStdString());
        answer_in_turn(texts, {keys.begin() + 1, keys.end()});
        QTest::keyClick(box, keys.front());
    });
}

std::shared_ptr<bool> on_next_modal(std::function<void(QWidget*)> act, int timeout_ms) {
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, done, waited, act, timeout_ms] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
            *done = true;
            return;
        }
        *waited += 5;
        if (*waited > timeout_ms) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    return done;
}

void SettingsFolder::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
}

std::string SettingsFolder::setting(const std::string& name) const {
    QSettings store(QSettings::IniFormat, QSettings::UserScope,
                    QStringLiteral("Tarvellic Pinwright"));
    return store.value(QString::fromStdString(name)).toString().toStdString();
}

bool SettingsFolder::has_setting(const std::string& name) const {
    QSettings store(QSettings::IniFormat, QSettings::UserScope,
                    QStringLiteral("Tarvellic Pinwright"));
    return store.contains(QString::fromStdString(name));
}

void WindowTest::SetUp() {
    SettingsFolder::SetUp();
    Module1::reset_program_state();
    write_file(folder() + "pinwrightdevices.txt", test_database_text());
    const auto loaded =
        devices::load_device_table(folder() + "pinwrightdevices.txt", devices::device_database());
    ASSERT_TRUE(loaded.ok()) << devices::failure_text(loaded);
    ASSERT_EQ(devices::device_database().model_count(), 5);
    settings::program().app_folder = folder();
    hardware::port_session_options simulated;
    simulated.simulate = true;
    hardware::configure_port_session(simulated);
    load_window();
}

void WindowTest::TearDown() {
    core::install_hooks(core::default_hooks());
    form_.reset();
    Module1::reset_program_state();
}

void WindowTest::open_hex(const std::string& name) {
    form_->dialogs.open = [path = folder() + name](const ui::file_request&) {
        return QString::fromStdString(path);
    };
    form_->menuopen_Click();
}

void WindowTest::load_window() {
    core::install_hooks(core::default_hooks());
    form_.reset();
    form_ = std::make_unique<ui::Form1>();
    // No test may reach a real file dialog.
    form_->dialogs.open = [](const ui::file_request&) { return QString(); };
    form_->dialogs.save = [](const ui::file_request&) { return QString(); };
    ui::install_gui_hooks(*form_);
    core::host_hooks hooks = core::hooks();
    auto shown = hooks.set_status;
    hooks.set_status = [this, shown](const std::string& caption) {
        shown(caption);
        captions_.push_back(caption);
        bool enabled = true;
        for (QPushButton* button : form_->commands)
            enabled = enabled && button->isEnabled();
        for (QMenu* menu : {form_->menu1, form_->menu3, form_->menu4, form_->menu5, form_->menu6})
            enabled = enabled && menu->menuAction()->isEnabled();
        commands_at_caption_.push_back(enabled);
    };
    core::install_hooks(hooks);
    captions_.clear();
    commands_at_caption_.clear();
    form_->Form_Load();
    QApplication::setActiveWindow(form_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
}

std::shared_ptr<seen_box> answer_next_box(Qt::Key key) {
    auto seen = std::make_shared<seen_box>();
    test_ui::on_next_modal([seen, key](QWidget* modal) {
        auto* box = dynamic_cast<ui::Form08*>(modal);
        ASSERT_NE(box, nullptr);
        *seen = {true, box->displayed_text(), box->kind};
        QTest::keyClick(box, key);
    });
    return seen;
}

} // namespace test_ui
