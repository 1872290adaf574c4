#include "cli/CliMain.h"

#include "cli/ConvertCommand.h"
#include "cli/InfoCommand.h"
#include "cli/TranscodeCommand.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: lumatrine-cli convert [OPTIONS] INPUT...     convert pictures between 4:3 and 16:9\n"
    "       lumatrine-cli info [--json] FILE...          describe pictures\n"
    "       lumatrine-cli transcode [--force] [--quality Q] [--subsample] [--progressive] [--lossless] INPUT OUTPUT\n"
    "                                                    rewrite a picture in another format\n"
    "Run 'lumatrine-cli convert --help' for the conversion options.\n";

}  // namespace

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string& command = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "convert") return RunConvert(rest, out, err);
    if (command == "info") return RunInfo(rest, out, err);
    if (command == "transcode") return RunTranscode(rest, out, err);
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kExitOk;
    }
    err << "lumatrine-cli: unknown command '" << command << "'\n" << kUsage;
    return kExitUsage;
}
