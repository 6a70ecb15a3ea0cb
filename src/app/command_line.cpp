#include "app/command_line.h"

#include <algorithm>
#include <string_view>

namespace qinghe {

namespace {

constexpr std::string_view kSearchHost = "--search-host=";
constexpr std::string_view kWriteIcons = "--write-icons";

// A host name or address with an optional port: nothing that could change the
// shape of the URL built around it.
bool IsHostText(std::string_view host) {
    if (host.empty() || host.size() > 255)
        return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    auto fail = [&result](std::string message) {
        result.mode = CommandLine::Mode::Error;
        result.error = std::move(message);
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h" || arg == "--help") {
            result.mode = CommandLine::Mode::Help;
        } else if (arg.starts_with(kSearchHost)) {
            const std::string_view host = arg.substr(kSearchHost.size());
            if (!IsHostText(host))
                return fail("invalid host in " + std::string(arg));
            result.query.searchHost = Text(host);
        } else if (arg == kWriteIcons) {
            if (i + 1 >= args.size())
                return fail("--write-icons needs a directory");
            result.iconDirectory = args[++i];
            if (result.mode != CommandLine::Mode::Help)
                result.mode = CommandLine::Mode::WriteIcons;
        } else {
            return fail("unknown option " + std::string(arg));
        }
    }
    return result;
}

bool WantsNoWindow(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "-h" || arg == "--help" || arg == kWriteIcons;
    });
}

std::string UsageText() {
    return "Usage: qinghe-rank\n"
           "       qinghe-rank --write-icons DIR\n"
           "\n"
           "青禾关键词排名查询工具: keeps your sites and their keywords and shows at\n"
           "which positions of the Baidu web-search results each site stands.\n"
           "Normal use needs no options.\n"
           "\n"
           "Options for testing and packaging:\n"
           "  --search-host=HOST  send rank queries to HOST[:PORT] instead of\n"
           "                      www.baidu.com (end-to-end tests use a local server)\n"
           "  --write-icons DIR   write the logo as DIR/qinghe-rank.png and\n"
           "                      DIR/icons/<N>x<N>/qinghe-rank.png, then exit\n"
           "  -h, --help          show this text\n";
}

}  // namespace qinghe
