// The program's start: the command line, the program folder, the device database, and,
// with the real executable, one copy per user (a crashed copy does not block the next).
#include "window_fixture.h"

#include "app/start_up.h"
#include "core/host_hooks.h"
#include "ui/form08.h"
#include "ui/gui_hooks.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <filesystem>

#include <signal.h>

namespace {

app::start_options parse(std::initializer_list<const char*> words) {
    QStringList arguments{QStringLiteral("pinwright")};
    for (const char* word : words)
        arguments.push_back(QString::fromLatin1(word));
    return app::parse_options(arguments);
}

TEST(StartOptions, AcceptedAndRefusedCommandLines) {
    auto plain = parse({});
    EXPECT_TRUE(plain.error.empty());
    EXPECT_FALSE(plain.simulate);

    auto simulated = parse({"--simulate", "--sim-part", "pic18f452", "--chip", "/tmp/c.hex"});
    EXPECT_TRUE(simulated.error.empty()) << simulated.error;
    EXPECT_TRUE(simulated.simulate);
    EXPECT_EQ(simulated.sim_part, "pic18f452");
    EXPECT_EQ(simulated.chip_file, "/tmp/c.hex");
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--version"}).version);

    struct case_t {
        std::initializer_list<const char*> words;
        const char* error_part;
    };
    const case_t refused[] = {
        {{"--bogus"}, "bogus"},
        {{"--chip", "x.hex"}, "need --simulate"},
        {{"--sim-part", "18F452"}, "need --simulate"},
        {{"--simulate", "--sim-part", "18F9999"}, "known parts: "},
        {{"--simulate", "--sim-part"}, "sim-part"},
        {{"file.hex"}, "unexpected argument"},
    };
    for (const case_t& c : refused) {
        const auto options = parse(c.words);
        EXPECT_NE(options.error.find(c.error_part), std::string::npos)
            << *c.words.begin() << ": " << options.error;
    }
}

TEST(StartUp, ProgramFolderKeepsItsCaseAndEndsInOneSeparator) {
    EXPECT_EQ(app::program_folder("/opt/Pin Wright/Bin"), "/opt/Pin Wright/Bin/");
    EXPECT_EQ(app::program_folder("/opt/pinwright/bin/"), "/opt/pinwright/bin/");
    EXPECT_EQ(app::program_folder("/"), "/");
}

TEST(StartUp, LockIsHeldAgainstASecondTaker) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/lock";
    bool another = false;
    auto first = app::take_instance_lock(path, another);
    ASSERT_TRUE(first);
    EXPECT_FALSE(another);
    EXPECT_FALSE(app::take_instance_lock(path, another));
    EXPECT_TRUE(another);
    first.reset();
    EXPECT_TRUE(app::take_instance_lock(path, another));
    EXPECT_FALSE(another);
    // No place for a lock at all: run without one rather than refuse to start.
    EXPECT_FALSE(app::take_instance_lock(dir.path() + "/no/such/folder/lock", another));
    EXPECT_FALSE(another);
}

class DatabaseAtStart : public test_ui::SettingsFolder {
  protected:
    void SetUp() override {
        SettingsFolder::SetUp();
        ui::install_window_less_hooks();
    }
    void TearDown() override { core::install_hooks(core::default_hooks()); }
};

TEST_F(DatabaseAtStart, UnreadableDatabaseIsReportedWithItsName) {
    std::filesystem::create_directory(folder() + "pinwrightdevices.txt"); // a folder
    QString shown;
    const auto answered = test_ui::on_next_modal([&](QWidget* modal) {
        auto* box = dynamic_cast<ui::Form08*>(modal);
        ASSERT_NE(box, nullptr);
        shown = box->displayed_text();
        box->ok_button()->click();
    });
    devices::device_table table;
    EXPECT_EQ(app::load_database(folder(), table), app::database_state::unreadable);
    EXPECT_TRUE(*answered);
    EXPECT_TRUE(shown.contains("pinwrightdevices.txt")) << shown.toStdString();
}

TEST_F(DatabaseAtStart, DatabaseWithoutModelsEndsSilently) {
    test_ui::write_file(folder() + "pinwrightdevices.txt", "# no model here\r\nflash: 8\r\n");
    devices::device_table table;
    EXPECT_EQ(app::load_database(folder(), table), app::database_state::no_model);
    test_ui::write_file(folder() + "pinwrightdevices.txt", test_ui::test_database_text());
    EXPECT_EQ(app::load_database(folder(), table), app::database_state::ready);
}

// The real executable, each copy with the test's own settings and runtime folders.
class Executable : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        QDir(home_.path()).mkpath("run");
        QDir(home_.path()).mkpath("config");
        QFile::setPermissions(home_.path() + "/run", QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
    }

    std::unique_ptr<QProcess> start(const QString& program, const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", home_.path() + "/run");
        environment.insert("XDG_CONFIG_HOME", home_.path() + "/config");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LSAN_OPTIONS", "suppressions=" PINWRIGHT_SOURCE_DIR
                                           "/tests/ui_main/lsan_suppressions.txt");
        process->setProcessEnvironment(environment);
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }

    static QString executable() { return QStringLiteral(PINWRIGHT_BIN_DIR "/pinwright"); }

    bool lock_present() const {
        return !QDir(home_.path() + "/run").entryList({"tarvellic-pinwright-*.lock"}).isEmpty();
    }

    // Waits until the copy holds its lock (it is then up and running).
    bool wait_for_lock(QProcess& process) const {
        for (int waited = 0; waited < 20000; waited += 50) {
            if (lock_present())
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(50);
        }
        return false;
    }

    // A copy of the program in a folder of its own, for a database of the test's making.
    QString program_copy() const {
        const QString folder = home_.path() + "/program";
        QDir().mkpath(folder);
        EXPECT_TRUE(QFile::copy(executable(), folder + "/pinwright"));
        QFile::setPermissions(folder + "/pinwright", QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        return folder;
    }

    QTemporaryDir home_;
};

TEST_F(Executable, HelpAndVersionNeedNoDisplay) {
    auto version = start(executable(), {"--version"});
    ASSERT_TRUE(version->waitForFinished(20000));
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_TRUE(version->readAllStandardOutput().startsWith("pinwright "));
    auto wrong = start(executable(), {"--chip", "x.hex"});
    ASSERT_TRUE(wrong->waitForFinished(20000));
    EXPECT_EQ(wrong->exitCode(), 2);
    EXPECT_TRUE(wrong->readAllStandardError().contains("need --simulate"));
}

TEST_F(Executable, SecondCopyEndsAtOnceAndACrashedCopyDoesNotBlock) {
    auto first = start(executable(), {"--simulate"});
    ASSERT_TRUE(wait_for_lock(*first)) << first->readAllStandardError().toStdString();

    auto second = start(executable(), {"--simulate"});
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    // The first copy crashes; its lock file stays behind.
    first->kill();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_TRUE(lock_present());

    auto third = start(executable(), {"--simulate"});
    EXPECT_FALSE(third->waitForFinished(1500)); // still running: it took the stale lock
    EXPECT_EQ(third->state(), QProcess::Running);
    third->terminate();
    third->waitForFinished(20000);
}

TEST_F(Executable, TerminationSignalEndsTheProgramInOrder) {
    for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal_number);
        auto copy = start(executable(), {"--simulate"});
        ASSERT_TRUE(wait_for_lock(*copy));
        ::kill(static_cast<pid_t>(copy->processId()), signal_number);
        ASSERT_TRUE(copy->waitForFinished(20000));
        EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->exitCode(), 0);
        EXPECT_FALSE(lock_present()); // released on the way out
    }
}

TEST_F(Executable, DatabaseWithoutModelsEndsTheProgramSilently) {
    // A database that holds no model (its lines end in LF only, so the whole file is one
    // line).
    const QString folder = program_copy();
    test_ui::write_file((folder + "/pinwrightdevices.txt").toStdString(),
                        "# no model here\r\nflash: 8\r\n");
    auto copy = start(folder + "/pinwright", {"--simulate"});
    ASSERT_TRUE(copy->waitForFinished(20000));
    EXPECT_EQ(copy->exitCode(), 1);
    EXPECT_FALSE(QFile::exists(home_.path() + "/config/Tarvellic Pinwright.ini"));
}

TEST_F(Executable, TerminationSignalClosesTheDatabasesErrorBox) {
    const QString folder = program_copy();
    QDir().mkpath(folder + "/pinwrightdevices.txt"); // a folder: its error box opens
    auto copy = start(folder + "/pinwright", {"--simulate"});
    ASSERT_TRUE(wait_for_lock(*copy)); // the lock comes before the database
    EXPECT_FALSE(copy->waitForFinished(1000)) << "the box waits for an answer";
    copy->terminate();
    ASSERT_TRUE(copy->waitForFinished(20000));
    EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy->exitCode(), 1); // the database was not read
    EXPECT_FALSE(lock_present());
}

} // namespace
