// The program's few command-line options. Normal use needs none; they exist for
// end-to-end tests (a local search host) and for packaging (writing the icons).
#pragma once

#include <string>
#include <vector>

#include "query/rank_query.h"

namespace qinghe {

struct CommandLine {
    enum class Mode { Run, Help, WriteIcons, Error };
    Mode mode = Mode::Run;
    QuerySettings query;
    std::string iconDirectory;
    std::string error;
};

// args: the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
// True when the arguments ask for a mode that needs no display.
bool WantsNoWindow(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace qinghe
