// zenor-dump: command-line views of the files the examiner's workstation
// reads, for people who check or process them outside the window.
//
//   zenor-dump [--help | --version]
//   zenor-dump COMMAND [OPTION]... OPERAND...
//
// The commands are listed in Commands.h; the command line is read in
// CommandLine.cpp.
#include "CommandLine.h"

#include "l10n/Translation.h"

int main(int argc, char** argv) {
    StartTranslation();
    return RunDump(argc, argv);
}
