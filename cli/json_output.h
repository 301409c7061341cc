// pinwright-cli --json: the one JSON document a run prints on standard output. The
// commands record what they found in the session's report as they go; the document is
// written once, when the command has ended, with the command, its exit code, its outcome
// and the lines it wrote to standard error (progress aside), so a failure has its document
// too. Without --json every recording function does nothing.
#pragma once

#include "cli/session.h"
#include "interpreter/adapter_diagnosis.h"
#include "interpreter/chip_operations.h"

#include <QJsonArray>
#include <QJsonObject>

#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

namespace cli {

// Passes what is written on to `target` and keeps each finished line that is not blank.
class line_recorder : public std::streambuf {
  public:
    explicit line_recorder(std::ostream& target) : target_(target) {}
    // The lines so far, an unfinished last one included.
    QJsonArray lines() const;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    void keep(char c);

    std::ostream& target_;
    std::string line_;
    QJsonArray lines_;
};

class json_report {
  public:
    // `err` is standard error: messages and progress go on to it.
    explicit json_report(std::ostream& err);
    json_report(const json_report&) = delete;
    json_report& operator=(const json_report&) = delete;

    // The stream the commands write their messages to, and the one progress goes to.
    std::ostream& messages() { return messages_; }
    std::ostream& progress() { return err_; }
    // Takes what the commands print on standard output; the document replaces it.
    std::ostream& discarded() { return discarded_; }

    // The command's own members ("models", "chip", ...).
    QJsonObject fields;
    // The outcome key; empty: the one the exit code stands for.
    std::string outcome;
    // The port time of the command's operations so far.
    std::int64_t port_time_us = 0;

    // The document, one line of compact JSON ended by a line feed.
    std::string document(const std::string& command, int exit_code) const;

  private:
    std::ostream& err_;
    line_recorder recorder_;
    std::ostream messages_;
    std::ostringstream discarded_;
};

// The outcome key an exit code stands for when the command named none: "completed",
// "differences", "bad_input", "hardware_error", "wrong_chip", "cancelled".
std::string exit_code_outcome(int exit_code);
// The key of an operation's outcome ("completed", "no_chip", "port_failed", ...).
std::string outcome_key(Module1::operation_outcome outcome);

// Where progress goes: standard error, whether or not messages are recorded.
std::ostream& progress_stream(session& s);

// The recording functions; each does nothing without --json.
void record(session& s, const char* key, const QJsonValue& value);
void record_outcome(session& s, const std::string& outcome);
// The adapter of a chip command as it was resolved, and the selected model.
void record_adapter(session& s);
void record_model(session& s);
// The chip's device ID as read: "chip" {"device_id", "revision", "models"}.
void record_identity(session& s, const Module1::chip_identity& identity);
// One chip operation of the command ("program", "verify", ...): a step of its own, added to
// the command's port time, per-region counts and, for a check, differences; its identity
// and outcome.
void record_operation(session& s, const std::string& operation,
                      const Module1::operation_result& result);
// The doctor's steps, verdict and fix (`fix_text`: where the settings file keeps it).
void record_diagnosis(session& s, const Module1::adapter_diagnosis& diagnosis,
                      const std::string& fix_text);

} // namespace cli
