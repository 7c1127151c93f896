#include "CommandLine.h"
#include "Commands.h"

#include "l10n/Translation.h"

#include <getopt.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <iostream>

#ifndef ZENOR_VERSION
#define ZENOR_VERSION "unknown"
#endif

bool CommandArgs::Has(std::string_view name) const {
    for (const auto& [key, value] : options_)
        if (key == name) return true;
    return false;
}

std::string CommandArgs::Value(std::string_view name, std::string_view fallback) const {
    for (auto it = options_.rbegin(); it != options_.rend(); ++it)
        if (it->first == name) return it->second;
    return std::string(fallback);
}

const DumpCommand& CommandNamed(std::string_view name) {
    for (const DumpCommand& c : kCommands)
        if (name == c.name) return c;
    std::abort(); // every caller names a row of the table
}

int UsageError(const DumpCommand& command, std::string_view message) {
    std::cerr << Format(Tr("zenor-dump %s: %s (see 'zenor-dump %s --help')"), command.name,
                        std::string(message).c_str(), command.name)
              << "\n";
    return kExitUsage;
}

int Failure(std::string_view message) {
    std::cerr << "zenor-dump: " << message << "\n";
    return kExitFailed;
}

int FinishOutput() {
    errno = 0;
    std::cout.flush();
    if (std::cout) return kExitOk;
    return Failure(Format(Tr("cannot write the output: %s"),
                          errno ? std::strerror(errno) : Tr("write error")));
}

bool NumberOption(const CommandArgs& args, const DumpCommand& command, const char* name, double low,
                  double high, double& value, int& status) {
    if (!args.Has(name)) return true;
    const std::string text = args.Value(name);
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(parsed) || parsed < low || parsed > high) {
        status = UsageError(command, Format(Tr("--%s wants a number from %g to %g, not '%s'"), name,
                                            low, high, text.c_str()));
        return false;
    }
    value = parsed;
    return true;
}

namespace {

void PrintOptions(std::ostream& out, std::span<const CommandOption> options) {
    for (const CommandOption& o : options) {
        out << "  ";
        if (o.shortName)
            out << '-' << o.shortName << ", ";
        else
            out << "    ";
        out << "--" << o.name;
        if (o.valueName) out << ' ' << Tr(o.valueName);
        out << "\n          " << Tr(o.help) << "\n";
    }
    out << "  -h, --help\n          " << Tr("show this help and exit") << "\n";
}

void PrintCommandHelp(const DumpCommand& c) {
    std::cout << Format(Tr("usage: zenor-dump %s [OPTION]... %s\n"), c.name, Tr(c.synopsis))
              << Tr(c.summary) << "\n\n"
              << Tr("options:\n");
    PrintOptions(std::cout, c.options);
}

void PrintHelp() {
    std::cout << Tr("usage: zenor-dump [--help | --version]\n"
                    "       zenor-dump COMMAND [OPTION]... OPERAND...\n"
                    "Command-line views of the files the examiner's workstation reads; it never\n"
                    "changes a pupil's file.\n")
              << "\n"
              << Tr("commands:\n");
    for (const DumpCommand& c : kCommands)
        std::cout << "  " << c.name << " " << Tr(c.synopsis) << "\n      " << Tr(c.summary) << "\n";
    std::cout << "\n"
              << Tr("'zenor-dump COMMAND --help' lists a command's options.\n") << "\n"
              << Tr("exit status:\n"
                    "  0  done (check, marks, agree: nothing to report)\n"
                    "  1  the input could not be read or processed\n"
                    "  2  the command line is wrong\n"
                    "  3  check, marks, agree: problems or works reported\n");
}

// The option getopt_long stumbled on: a long one is the whole word as given,
// a short one the letter (which may sit inside a cluster such as -xo).
std::string OffendingOption(const char* word, int letter) {
    const std::string_view w(word);
    if (w.starts_with("--")) return std::string(w.substr(0, w.find('=')));
    return std::string("-") + static_cast<char>(letter);
}

int GlobalUsage(const std::string& message) {
    std::cerr << Format(Tr("zenor-dump: %s (see 'zenor-dump --help')"), message.c_str()) << "\n";
    return kExitUsage;
}

// getopt_long reads argv; `shortOptions` gets the letters and `longOptions`
// the table it wants, with a value per option: its index in `options`, and
// the help option at options.size().
void BuildOptionTables(std::span<const CommandOption> options, std::string& shortOptions,
                       std::vector<option>& longOptions) {
    shortOptions = ":h"; // ':' first: a missing value is told apart from an unknown option
    for (std::size_t i = 0; i < options.size(); ++i) {
        const CommandOption& s = options[i];
        longOptions.push_back(
            {s.name, s.valueName ? required_argument : no_argument, nullptr, static_cast<int>(i)});
        if (s.shortName) {
            shortOptions += s.shortName;
            if (s.valueName) shortOptions += ':';
        }
    }
    longOptions.push_back({"help", no_argument, nullptr, static_cast<int>(options.size())});
    longOptions.push_back({nullptr, 0, nullptr, 0});
}

int RunCommand(const DumpCommand& command, int argc, char** argv) {
    std::string shortOptions;
    std::vector<option> longOptions;
    BuildOptionTables(command.options, shortOptions, longOptions);
    const std::size_t helpIndex = command.options.size();
    CommandArgs args;
    optind = 0; // a fresh scan: getopt_long keeps state between calls
    opterr = 0;
    for (;;) {
        int index = -1;
        const int c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), &index);
        if (c == -1) break;
        if (c == '?' || c == ':') {
            const std::string given = OffendingOption(argv[optind - 1], optopt);
            return UsageError(command, Format(c == '?' ? Tr("unknown option '%s'")
                                                       : Tr("option '%s' wants a value"),
                                              given.c_str()));
        }
        std::size_t which = helpIndex;
        if (c == 'h') {
            which = helpIndex;
        } else if (index >= 0) {
            which = static_cast<std::size_t>(c);
        } else {
            for (std::size_t i = 0; i < command.options.size(); ++i)
                if (command.options[i].shortName == c) which = i;
        }
        if (which == helpIndex) {
            PrintCommandHelp(command);
            return kExitOk;
        }
        args.Add(command.options[which].name, optarg ? optarg : "");
    }
    for (int i = optind; i < argc; ++i) args.AddOperand(argv[i]);
    const std::size_t n = args.Operands().size();
    if (n < command.minOperands || n > command.maxOperands)
        return UsageError(command,
                          Format(n < command.minOperands ? Tr("wants %s, got too few operands")
                                                         : Tr("wants %s, got too many operands"),
                                 Tr(command.synopsis)));
    return command.run(args);
}

} // namespace

int RunDump(int argc, char** argv) {
    static const option globalOptions[] = {{"help", no_argument, nullptr, 'h'},
                                           {"version", no_argument, nullptr, 'V'},
                                           {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    // '+': stop at the subcommand, whose options are its own.
    for (;;) {
        const int c = getopt_long(argc, argv, "+:hV", globalOptions, nullptr);
        if (c == -1) break;
        if (c == 'h') {
            PrintHelp();
            return kExitOk;
        }
        if (c == 'V') {
            std::cout << "zenor-dump " << ZENOR_VERSION << "\n";
            return kExitOk;
        }
        return GlobalUsage(
            Format(Tr("unknown option '%s'"), OffendingOption(argv[optind - 1], optopt).c_str()));
    }
    if (optind >= argc) return GlobalUsage(Tr("no command given"));
    const std::string name = argv[optind];
    for (const DumpCommand& c : kCommands)
        if (name == c.name) return RunCommand(c, argc - optind, argv + optind);
    return GlobalUsage(Format(Tr("unknown command '%s'"), name.c_str()));
}
