// The device database checker, every problem found with its line, and the algorithm check
// it shares with the start of a chip operation.
#include "devices/device_check.h"

#include "devices/algorithm_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

const std::string good_model[] = {"flash: 32768",
                                  "eeprom: 256",
                                  "configerased: 00,CF,0F,1F,00,83,85,00,0F,C0,0F,E0,0F,40",
                                  "voltageseq: vddvpp",
                                  "progtime: 1",
                                  "pagesize: 32",
                                  "erasealg: 1",
                                  "programalg: 1",
                                  "readalg: 1",
                                  "blankcheckalg: 1",
                                  "verifyalg: 1"};

std::string good_file() {
    std::string text = crlf({"# comment line", "erasealgdef 1: begin,end",
                             "programalgdef 1: begin,calcflashpage,setflashloop,ifpage,startprog,"
                             "endifpage,s0d-flash,loop,end",
                             "readalgdef 1: begin,end", "blankcheckalgdef 1: begin,end",
                             "verifyalgdef 1: begin,end", "model: PIC18F4520"});
    for (const auto& line : good_model)
        text += line + "\r\n";
    return text;
}

bool has_problem(const std::vector<devices::database_problem>& problems, int line,
                 const std::string& part) {
    for (const auto& problem : problems)
        if (problem.line == line && problem.text.find(part) != std::string::npos)
            return true;
    return false;
}

std::string dump(const std::vector<devices::database_problem>& problems) {
    std::ostringstream out;
    for (const auto& problem : problems)
        out << devices::format_problem("f", problem) << "\n";
    return out.str();
}

TEST(DeviceCheck, CleanFileHasNoProblem) {
    const auto problems = devices::check_device_database(good_file());
    EXPECT_TRUE(problems.empty()) << dump(problems);
}

TEST(DeviceCheck, AlgorithmBodies) {
    const auto problems = devices::check_device_database(
        good_file() +
        crlf({"erasealgdef 2: begin ,s0x-flash,s00-0e3g,setflashloop,s0d-flash",
              "programalgdef 3: ifpage,startprog", "readalgdef 25: begin", "model: Other",
              "erasealg: 2", "programalg: 3", "readalg: 4", "blankcheckalg: 1", "verifyalg: 1",
              "flash: 32K", "eeprom: 0", "voltageseq: vdd", "configerased: 00,CF", "progtime: 0",
              "pagesize: 0", "nospace"}));
    const std::pair<int, const char*> expected[] = {
        {19, "unrecognised instruction 'begin '"},
        {19, "'s0x-flash' has no valid two-digit"},
        {19, "'s00-0e3g' has no valid four-digit"},
        {19, "loop head 'setflashloop' has no later 'loop'"},
        {20, "'ifpage' has no later 'endifpage'"},
        {21, "outside 0 to 20"},
        {25, "read algorithm 4, which is not defined"},
        {28, "\"flash:\" must be a size"},
        {30, "vddvpp or vppvdd"},
        {31, "value 3 (config2l)"},
        {32, "\"progtime:\" must be"},
        {33, "need a \"pagesize:\" of at least 1"},
        {34, "line without a space"},
    };
    for (const auto& [line, text] : expected) {
        SCOPED_TRACE("line " + std::to_string(line) + ": " + text);
        EXPECT_TRUE(has_problem(problems, line, text)) << dump(problems);
    }
}

TEST(AlgorithmCheck, RunFaultsAreWhatWouldRunAwayDivideByZeroOrEndTheProgram) {
    struct row {
        const char* body;
        int page_size;
        const char* fault; // the text of the first fault that stops the run, or ""
    };
    const row rows[] = {
        {"setflashloop,s0d-flash,loop", 8, ""},
        {"setflashloop,s0d-flash", 8,
         "loop head 'setflashloop' has no later 'loop' (instruction 1)"},
        {"loop,seteepromloop", 8, "loop head 'seteepromloop' has no later 'loop' (instruction 2)"},
        {"ifpage,startprog", 8, "'ifpage' has no later 'endifpage' (instruction 1)"},
        {"calcflashpage", 0,
         "'calcflashpage' needs a page size of at least 1, but the model's is 0 (instruction 1)"},
        {"calcflash", 0, ""},
        {"begin,begin ,end", 8,
         "unrecognised instruction 'begin ' (instruction 2; a blank is part of the instruction)"},
        {"begin,,end", 8,
         "empty instruction (instruction 2; two commas in a row, or an empty algorithm)"},
        // Bad hexadecimal fields send nothing, but the run can go on.
        {"s0x-flash,s1f-flash,s00-0e3g", 8, ""},
    };
    for (const auto& r : rows) {
        const auto fault = devices::run_fault(devices::make_instruction_list(r.body), r.page_size);
        EXPECT_EQ(fault ? devices::fault_text(*fault) : "", r.fault) << r.body;
    }
}

TEST(DeviceCheck, MissingFieldsAndModels) {
    auto problems = devices::check_device_database(crlf({"model: A"}));
    EXPECT_TRUE(has_problem(problems, 1, "no \"flash:\" line")) << dump(problems);
    EXPECT_TRUE(has_problem(problems, 1,
                            "no \"eraseal"
                            "g:\" line"))
        << dump(problems);
    EXPECT_TRUE(has_problem(problems, 1, "no \"configerased:\" line")) << dump(problems);

    problems = devices::check_device_database("model: A\nflash: 1\n");
    EXPECT_TRUE(has_problem(problems, 1, "line feed without a carriage return")) << dump(problems);
    problems = devices::check_device_database("# nothing here\r\n");
    EXPECT_TRUE(has_problem(problems, 0, "defines no model")) << dump(problems);
}

TEST(DeviceCheck, ShippedDatabaseIsClean) {
    std::ifstream file(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    for (const auto& problem : devices::check_device_database(bytes.str()))
        ADD_FAILURE() << devices::format_problem("pinwrightdevices.txt", problem);
}

} // namespace
