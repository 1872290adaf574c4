// lumatrine-cli: converts pictures between 4:3 and 16:9 from a shell.
#include "cli/CliMain.h"
#include "platform/FileReplace.h"

#include <iostream>

int main(int argc, char** argv)
{
    // Stopped with Ctrl-C or kill, the program leaves no half-written file behind.
    platform::RemoveTemporariesOnInterrupt();
    return RunCli(argc, argv, std::cout, std::cerr);
}
