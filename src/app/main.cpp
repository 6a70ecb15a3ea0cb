// Start-up: the program's directory becomes the current directory, the keyword
// array is created empty, the window is created centred, its created event
// fills it, and the window's events are processed until it is closed.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/images.h"
#include "app/main_window.h"
#include "store/site_store.h"
#include "text/files.h"
#include "text/text.h"

#if __has_include("app/data_location.h")
#include "app/data_location.h"
#define QINGHE_HAVE_DATA_LOCATION 1
#endif

namespace {

// Where the site files live.
qinghe::Text SiteDirectory() {
#ifdef QINGHE_HAVE_DATA_LOCATION
    return qinghe::ChooseSiteDirectory();
#else
    return qinghe::JoinText(qinghe::RunDirectory(), qinghe::kPathSeparator,
                            qinghe::kSiteDirectoryName);
#endif
}

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// Reports --help, --write-icons and errors; -1 when the window should run.
int Finish(const qinghe::CommandLine& options) {
    using Mode = qinghe::CommandLine::Mode;
    switch (options.mode) {
        case Mode::Help:
            std::fputs(qinghe::UsageText().c_str(), stdout);
            return 0;
        case Mode::WriteIcons:
            if (qinghe::WriteIcons(QString::fromStdString(options.iconDirectory)))
                return 0;
            std::fprintf(stderr, "qinghe-rank: cannot write icons to %s\n",
                         options.iconDirectory.c_str());
            return 1;
        case Mode::Error:
            std::fprintf(stderr, "qinghe-rank: %s\n\n%s", options.error.c_str(),
                         qinghe::UsageText().c_str());
            return 2;
        case Mode::Run:
            break;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    // These modes run without a display, so before Qt looks for one.
    if (qinghe::WantsNoWindow(Arguments(argc, argv))) {
        const int code = Finish(qinghe::ParseCommandLine(Arguments(argc, argv)));
        if (code >= 0)
            return code;
    }

    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("qinghe-rank"));
    QApplication::setDesktopFileName(QStringLiteral("qinghe-rank"));
    const qinghe::CommandLine options = qinghe::ParseCommandLine(Arguments(argc, argv));
    if (const int code = Finish(options); code >= 0)
        return code;

    qinghe::SetCurrentDirectoryTo(qinghe::RunDirectory());
    qinghe::TextArray keywordArray;
    qinghe::MainWindow window(keywordArray, SiteDirectory(), options.query);
    window.OnCreated();
    window.show();
    return QApplication::exec();
}
