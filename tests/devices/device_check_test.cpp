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
    // The optional configuration and discharge holds.
    const auto with_hold = devices::check_device_database(
        good_file() + crlf({"configprogtime: 5", "dischargetime: 100"}));
    EXPECT_TRUE(with_hold.empty()) << dump(with_hold);
}

TEST(DeviceCheck, AlgorithmBodies) {
    const auto problems = devices::check_device_database(
        good_file() +
        crlf({"erasealgdef 2: begin ,s0x-flash,s00-0e3g,setflashloop,s0d-flash",
              "programalgdef 3: ifpage,startprog", "readalgdef 45: begin", "model: Other",
              "erasealg: 2", "programalg: 3", "readalg: 4", "blankcheckalg: 1", "verifyalg: 1",
              "flash: 32K", "eeprom: 0", "voltageseq: vdd", "configerased: 00,CF", "progtime: 0",
              "pagesize: 0", "nospace",
              // Algorithms that would run for ever or leave the chip powered.
              "erasealgdef 5: begin,setflashloop,s00-0000,loop",
              "readalgdef 5: end,seteepromloop,ifpage,eeprom=s08,endifpage,loop,loop",
              // Sizes beyond any PIC18, and device IDs.
              "model: Big", "flash: 2147483648", "eeprom: 65537", "pagesize: 512", "deviceid: 10G0",
              "deviceidmask: 0", "model: Twin1", "deviceid: 1085", "model: Twin2", "deviceid: 1090",
              "deviceidmask: FFF0", "model: Lonely", "deviceidmask: FFF0",
              // A misspelt key (a comment to the loader) and a definition without its colon.
              "programmalg: 2", "erasealgdef 3 begin,end",
              // A configuration hold that is no time.
              "model: Slow", "configprogtime: 0",
              // Voltage ranges: MIN-MAX in volts, 0 < MIN <= MAX, within what PIC18s take.
              "model: V1", "vdd: 5", "vpp: 9.000-13", "model: V2", "vdd: 3.60-1.80", "vpp: 0-9",
              "model: V3", "vdd: 2.00-7.50", "vpp: 9.00-14.50", "model: V4", "vdd: 3,3-5",
              "vpp: 9-12.5",
              // A discharge hold that is no time, and one in the wrong unit.
              "model: Wait", "dischargetime: 0", "model: Long", "dischargetime: 20000",
              // Absolute maxima on MCLR: a number of volts from the VPP maximum to 20 V.
              "model: M1", "vpp: 9-12.5", "mclrmax: 12", "model: M2", "vpp: 9-12.5",
              "mclrmax: 13,25", "model: M3", "vpp: 9-12.5", "mclrmax: 25", "model: M4",
              "mclrmax: 13.25", "model: M5", "vpp: 9-12.5", "mclrmax: 13.25",
              // EECON1 among the access bank's special function registers, F60h to FFFh.
              "model: E1", "eecon1: f7f", "model: E2", "eecon1: F5F", "model: E3", "eecon1: 0FA6",
              // The image layout: ID instructions need ID locations, readable sizes and
              // addresses, and memories that do not share addresses.
              "verifyalgdef 6: begin,setidloop,temp=s09,checkid,loop,end", "model: I1",
              "idlocations: 0", "verifyalg: 6", "model: I2", "idlocations: 300",
              "idaddress: 20000G", "model: I3", "configaddress: 200004", "eepromaddress: f00000",
              "model: I4", "idlocations: 0", "idaddress: 0",
              // Key entry: VDD first, both ranges, MCLR never above VDD; the configuration in
              // FLASH: its last eight bytes, nothing beyond CONFIG4H.
              "model: K1", "entry: key", "voltageseq: vppvdd", "vdd: 2.00-3.60", "vpp: 2.00-13.00",
              "mclrmax: 13.25", "model: K2", "entry: Key", "model: K3", "entry: lvp", "model: J1",
              "flash: 32768", "configaddress: 7FF0",
              "configmask: E1,04,C7,0F,00,01,00,00,01,00,00,00,00,00", "model: J2", "flash: 32768",
              "configaddress: 7ff8", "configmask: E1,04,C7,0F,00,01,00,00,00,00,00,00,00,00",
              // The 8-bit frames: forms and commands judged against the model's frame, the
              // entry that goes with it, and the configuration size.
              "erasealgdef 30: begin,c80-300000,c18-00000f,w26,end", "model: Q1",
              "frame: 8bit-words", "erasealg: 30", "entry: keylow", "vdd: 3.00-5.50",
              "vpp: 3.00-5.50", "model: Q2", "erasealg: 30", "model: Q3", "frame: 8bit",
              "model: Q4", "frame: 8bit-regions", "configsize: 10", "configerased: FF,FF",
              "entry: hv", "vpp: 7.90-13.00", "model: Q5", "entry: keylow", "model: Q6",
              "frame: 8bit-rows", "entry: key", "configsize: 36"}));
    const std::pair<int, const char*> expected[] = {
        {19, "unrecognised instruction 'begin '"},
        {19, "'s0x-flash' has no valid two-digit"},
        {19, "'s00-0e3g' has no valid payload (four hexadecimal digits"},
        {19, "loop head 'setflashloop' has no later 'loop'"},
        {20, "'ifpage' has no later 'endifpage'"},
        {21, "outside 0 to 39"},
        {25, "read algorithm 4, which is not defined"},
        {28, "\"flash:\" must be a size"},
        {30, "vddvpp or vppvdd"},
        {31, "\"configerased:\" gives 2 values, but the model has 14 configuration bytes"},
        {32, "\"progtime:\" must be"},
        {33, "need a \"pagesize:\" of at least 1"},
        {34, "line without a space"},
        {35, "'begin' has no 'end' after it (instruction 1; the chip would stay powered)"},
        {35, "loop head 'setflashloop' starts a loop whose body never moves the address counter "
             "(instruction 2; the loop would never end)"},
        {36, "'end' has no 'begin' before it (instruction 1)"},
        {36, "moves the address counter only inside 'ifpage' blocks (instruction 2"},
        {36, "'loop' has no loop head since the previous 'loop' (instruction 7"},
        {38, "\"flash:\" 2147483648 is more than the 2097152 bytes of FLASH a PIC18 can have"},
        {39, "\"eeprom:\" 65537 is more than the 65536 bytes of EEPROM"},
        {40, "\"pagesize:\" 512 is more than the 256 bytes of write buffer"},
        {41, "\"deviceid:\" must be four hexadecimal digits (DEVID2 then DEVID1), not \"10G0\""},
        {42, "\"deviceidmask:\" must be four hexadecimal digits with at least one bit set"},
        {44, "\"deviceid:\" 1085 has bits set outside its mask FFE0 (the revision bits); write "
             "1080"},
        {46, "model \"Twin2\": device ID 1090 (mask FFF0) cannot be told from model \"Twin1\" "
             "(line 44, device ID 1085, mask FFE0)"},
        {49, "\"deviceidmask:\" without a \"deviceid:\" line has no effect"},
        {50, "unknown key \"programmalg:\", so the line is taken as a comment; did you mean "
             "\"programalg:\"?"},
        {51, "erase algorithm 3: no colon after the algorithm number"},
        {53, "\"configprogtime:\" must be a whole number of milliseconds of at least 1"},
        {55, "\"vdd:\" must be MIN-MAX in volts, two numbers with at most two decimals (such "
             "as 1.80-3.60), not \"5\""},
        {56, "\"vpp:\" must be MIN-MAX in volts"},
        {58, "\"vdd:\" has its minimum above its maximum (\"3.60-1.80\")"},
        {59, "\"vpp:\" must have a minimum above 0 V, not \"0-9\""},
        {61, "\"vdd:\" 2.00-7.50 goes above 7.00 V, more than any PIC18 of these families takes "
             "on VDD"},
        {62, "\"vpp:\" 9.00-14.50 goes above 14.00 V"},
        {64, "\"vdd:\" must be MIN-MAX"},
        {67, "\"dischargetime:\" must be a whole number of microseconds from 1 to 10000"},
        {69, "\"dischargetime:\" must be a whole number of microseconds from 1 to 10000"},
        {72, "\"mclrmax:\" 12.00 V is below the VPP maximum 12.50 V"},
        {75, "\"mclrmax:\" must be a number of volts with at most two decimals (such as 13.25), "
             "not \"13,25\""},
        {78, "\"mclrmax:\" 25.00 V is above 20.00 V"},
        {80, "\"mclrmax:\" needs the part's \"vpp:\" range"},
        {87, "\"eecon1:\" must be EECON1's address as three hexadecimal digits from F60 to "
             "FFF (the access bank's special function registers, where the write poll reads "
             "it), not \"F5F\""},
        {89, "not \"0FA6\""},
        {92, "its verify algorithm walks the ID locations ('setidloop'), but \"idlocations: 0\" "
             "says it has none"},
        {95, "\"idlocations:\" must be the number of ID bytes from 0 to 256, not \"300\""},
        {96, "\"idaddress:\" must be a HEX address of one to six hexadecimal digits, not "
             "\"20000G\""},
        {98, "its ID locations (200000-200007) and its configuration bytes (200004-200011) "
             "share HEX addresses"},
        {105, "a key-entry part needs VDD before MCLR"},
        {107, "\"vpp:\" 2.00-13.00 goes above the VDD maximum 3.60 V"},
        {108, "leave out \"mclrmax:\""},
        {110, "a key-entry part needs \"vdd:\" and \"vpp:\" lines"},
        {112, "\"entry:\" must be hv (MCLR raised to VPP), key"},
        {115, "lies inside its FLASH but is not its last 8 bytes; write \"configaddress: "
              "007FF8\""},
        {116, "must give 00 for CONFIG5L..CONFIG7H"},
        {123, "'c18-00000f' is not a command with a payload of the 8bit-words frame"},
        {128, "'c80-300000' is an 8-bit-frame form, but the model's frame is classic"},
        {131, "\"frame:\" must be classic, 8bit-rows, 8bit-words or 8bit-regions"},
        {135, "\"configerased:\" gives 2 values, but the model has 10 configuration bytes"},
        {137, "goes above 9.00 V, the most an 8-bit-command part takes on MCLR"},
        {139, "\"entry: keylow\" is the entry of the 8-bit-command families"},
        {142, "keeps MCLR low after the key: write \"entry: keylow\""},
        {143, "\"configsize:\" must be the number of configuration bytes from 1 to 35"},
    };
    for (const auto& [line, text] : expected) {
        SCOPED_TRACE("line " + std::to_string(line) + ": " + text);
        EXPECT_TRUE(has_problem(problems, line, text)) << dump(problems);
    }
    EXPECT_FALSE(has_problem(problems, 65, "")) << "\"vpp: 9-12.5\" is a range\n" << dump(problems);
    EXPECT_FALSE(has_problem(problems, 83, "")) << dump(problems);
    EXPECT_FALSE(has_problem(problems, 85, "")) << dump(problems);
    // An address in lower case; no ID locations; configuration in FLASH: no overlap.
    for (const int line : {99, 102, 118, 119, 120})
        EXPECT_FALSE(has_problem(problems, line, "")) << dump(problems);
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
        {"setflashloop,s0d-flash,loop,seteepromloop", 8,
         "loop head 'seteepromloop' has no later 'loop' (instruction 4)"},
        {"setflashloop,flash=s09,loop,loop", 8,
         "'loop' has no loop head since the previous 'loop' (instruction 4; it would jump back "
         "to a loop that has already ended)"},
        {"seteepromloop,s00-80a6,waitwr,loop", 8,
         "loop head 'seteepromloop' starts a loop whose body never moves the address counter "
         "(instruction 1; the loop would never end)"},
        // A counter moved only in a page block, or a way out of the loop, is left to the run.
        {"setflashloop,ifpage,s0d-flash,endifpage,loop", 8, ""},
        {"setflashloop,s00-0000,seteepromloop,movlw-eeprom,loop", 8, ""},
        {"begin,setflashloop,s0d-flash,loop", 8, ""},
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
    // Reported once, with the number of lines that have one.
    problems = devices::check_device_database("model: A\nx\r\nflash: 1\ny\r\n");
    EXPECT_TRUE(has_problem(problems, 1, "(2 lines of the file hold a lone line feed)"))
        << dump(problems);
    EXPECT_FALSE(has_problem(problems, 2, "line feed")) << dump(problems);
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
