// zenor-dump: command-line views of the files the examiner's workstation
// reads, for people who check or process them outside the window.
//
//   zenor-dump SUBCOMMAND ARGUMENTS...
//
// The subcommands are listed in Commands.h.
#include "Commands.h"

#include <iostream>

int PrintUsage(const std::string& problem) {
    if (!problem.empty()) std::cerr << "zenor-dump: " << problem << "\n";
    std::cerr << "usage:\n";
    for (const DumpCommand& c : kCommands)
        std::cerr << "  zenor-dump " << c.name << " " << c.arguments << "\n      " << c.summary
                  << "\n";
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2) return PrintUsage("no subcommand given");
    const std::string name = argv[1];
    if (name == "-h" || name == "--help") {
        PrintUsage("");
        return 0;
    }
    for (const DumpCommand& c : kCommands) {
        if (name == c.name) return c.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    return PrintUsage("unknown subcommand: " + name);
}
