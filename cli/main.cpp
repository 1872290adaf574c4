// lumatrine-cli: converts pictures between 4:3 and 16:9 from a shell.
#include "cli/CliMain.h"

#include <iostream>

int main(int argc, char** argv)
{
    return RunCli(argc, argv, std::cout, std::cerr);
}
