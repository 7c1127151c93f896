// zenor-dump's command line: global options, one subcommand, its options and
// its operands, read with getopt_long in the usual GNU manner (options and
// operands in any order, "--" ends the options, --name=value or --name value).
//
// Exit statuses are the same for every subcommand, so that scripts can rely
// on them: see ExitStatus.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

enum ExitStatus : int {
    kExitOk = 0,       // done; for check, marks and agree: nothing to report
    kExitFailed = 1,   // the input could not be read or processed
    kExitUsage = 2,    // the command line is wrong
    kExitProblems = 3, // check, marks and agree: the report lists something
};

/// One option of a subcommand. `valueName` is null for a switch. The value
/// name and the help are marked with TrNoop (l10n/Translation.h).
struct CommandOption {
    const char* name;
    char shortName;
    const char* valueName;
    const char* help;
};

/// What a subcommand is given: the options it was passed (by long name) and
/// its operands, in order.
class CommandArgs {
public:
    bool Has(std::string_view name) const;
    /// The last value given for `name`, or `fallback` when it was not given.
    std::string Value(std::string_view name, std::string_view fallback = {}) const;
    const std::vector<std::string>& Operands() const { return operands_; }

    void Add(std::string name, std::string value) { options_.emplace_back(name, value); }
    void AddOperand(std::string operand) { operands_.push_back(std::move(operand)); }

private:
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> operands_;
};

using DumpCommandFunction = int (*)(const CommandArgs& args);

struct DumpCommand {
    const char* name;
    const char* synopsis; // operands as the usage line shows them; marked with TrNoop
    const char* summary;  // marked with TrNoop
    std::span<const CommandOption> options;
    std::size_t minOperands;
    std::size_t maxOperands;
    DumpCommandFunction run;
};

/// Runs zenor-dump on its whole argument vector; returns the exit status.
int RunDump(int argc, char** argv);

/// Writes "zenor-dump COMMAND: message" and a hint to --help on standard
/// error; returns kExitUsage. For values that only the command can judge.
int UsageError(const DumpCommand& command, std::string_view message);

/// Writes "zenor-dump: message" on standard error; returns kExitFailed.
int Failure(std::string_view message);

/// Flushes standard output; kExitOk, or kExitFailed with the reason on
/// standard error when the output could not be written (a full disk).
int FinishOutput();

/// A number option: the value, or false after reporting a usage error
/// through `status` when the text is not a finite number in [low, high].
bool NumberOption(const CommandArgs& args, const DumpCommand& command, const char* name, double low,
                  double high, double& value, int& status);
