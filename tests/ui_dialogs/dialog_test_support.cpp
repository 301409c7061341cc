// The QApplication environment and the dialog fixture.
#include "dialog_test_support.h"

#include "hardware/port_trace.h"
#include "interpreter/program_state.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace ui_test {

namespace {

class qt_environment final : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        folder_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(folder_->isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_->path());
    }
    void TearDown() override {
        folder_.reset();
        app_.reset();
    }

  private:
    int argc_ = 1;
    char name_[16] = "test_ui_dialogs";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QTemporaryDir> folder_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new qt_environment);

QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QStringLiteral("Tarvellic Pinwright"));
}

} // namespace

void clear_settings() {
    QSettings settings = store();
    settings.clear();
    settings.sync();
}

std::string stored_text(const std::string& name) {
    if (!store().contains(QString::fromStdString(name)))
        return "<missing>";
    return settings::read_setting_text(name, "<missing>");
}

std::uint32_t painted_background(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    return image.pixel(image.width() - 2, 1) & 0xFFFFFFu;
}

void dialog_fixture::SetUp() {
    clear_settings();
    Module1::reset_program_state();
    core::host_hooks hooks;
    hooks.message_box = [this](const std::string& text, int kind, const std::string& title) {
        messages.push_back({text, kind, title});
        return kind & core::msg_yes_no ? yes_no_answer : int{core::result_ok};
    };
    hooks.input_box = [this](const std::string& prompt, const std::string& title,
                             const std::string& default_text) -> std::optional<std::string> {
        questions.push_back({prompt, title, default_text});
        if (answers.empty())
            return std::nullopt;
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    };
    hooks.set_status = [this](const std::string& caption) { statuses.push_back(caption); };
    hooks.sleep_us = [](std::int64_t) {};
    core::install_hooks(hooks);

    auto simulated = std::make_unique<hardware::simulated_adapter>(888, nullptr);
    simulated->set_access_cost_us(0);
    adapter = simulated.get();
    auto traced = std::make_unique<hardware::port_trace>(std::move(simulated), trace);
    traced->open();
    hardware::install_port_backend(std::move(traced));
}

void dialog_fixture::TearDown() {
    Module1::reset_program_state();
    core::install_hooks(core::default_hooks());
}

std::size_t dialog_fixture::count_in_trace(const std::string& prefix) const {
    std::size_t count = 0;
    std::istringstream in(trace.str());
    for (std::string line; std::getline(in, line);)
        count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

} // namespace ui_test
