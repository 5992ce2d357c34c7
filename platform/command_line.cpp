#include "command_line.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_names.h"

#ifndef CEREBRIX_VERSION
#define CEREBRIX_VERSION "0"
#endif
#ifndef CEREBRIX_NOTICE
#define CEREBRIX_NOTICE ""
#endif

namespace platform {
namespace {

bool isSet(const char* variable)
{
    const char* v = std::getenv(variable);
    return v && *v;
}

QtMessageHandler toolkitHandler = nullptr;
QString toolkitWarning;  // what the toolkit said last while opening the display

void explainDisplayFailure(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "cerebrix: Cerebrix needs a graphical desktop, but its display could not be opened%s\n",
                     toolkitWarning.isEmpty() ? "." : qPrintable(" (" + toolkitWarning + ")."));
        std::_Exit(1);
    }
    if (type == QtWarningMsg || type == QtCriticalMsg)
        toolkitWarning = message.section('\n', 0, 0);
    if (toolkitHandler)
        toolkitHandler(type, context, message);
}

const QCommandLineOption platformOption("platform", "", "name");

// The program's options, as --help lists them.
void describeOptions(QCommandLineParser& parser)
{
    QCoreApplication::setApplicationName("cerebrix");
    QCoreApplication::setApplicationVersion(CEREBRIX_VERSION);
    parser.setApplicationDescription("Paint a picture, grow a brain of coloured cells from it.");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    // -V as cerebrix-cli and GNU programs spell it; Qt's own -v, which
    // earlier versions offered, still works for scripts that use it.
    parser.addOption(QCommandLineOption({"V", "version"}, "Displays version information."));
    QCommandLineOption qtVersion("v");
    qtVersion.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(qtVersion);
    parser.addPositionalArgument("file", "A brain file (.brain) to open.", "[file]");
    // The toolkit's own options, taken up by it later: accepted, listed by --help-all only.
    for (QCommandLineOption o : {platformOption, QCommandLineOption("display", "", "display"),
                                 QCommandLineOption("style", "", "style"),
                                 QCommandLineOption("qwindowgeometry", "", "geometry")}) {
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
}

// Checked as the program ends: output that never reached its file.
int outputStatus()
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "cerebrix: cannot write to standard output%s%s.\n", errno ? ": " : "",
                 errno ? std::strerror(errno) : "");
    return 1;
}

}  // namespace

int printOut(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
    return outputStatus();
}

void printHelpAll()
{
    // Qt prints this help itself and then calls exit(): the check runs there.
    std::atexit([] {
        if (outputStatus() != 0)
            std::_Exit(1);
    });
    // Nothing but the help: none of the toolkit's chatter about the desktop it was not asked to use.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 3;
    static char* argv[] = {const_cast<char*>("cerebrix"), const_cast<char*>("-platform"),
                           const_cast<char*>("offscreen"), nullptr};
    QApplication app(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(QStringList{"cerebrix", "--help-all"});
    std::exit(0);  // not reached: process() has ended the program
}

CommandLine readCommandLine(int argc, char** argv)
{
    QCommandLineParser parser;
    describeOptions(parser);

    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << fileNameText(argv[i]);

    // Without a running application Qt cannot know the program's name.
    const auto usage = [&] { return parser.helpText().replace("<executable_name>", "cerebrix"); };
    CommandLine line;
    const auto refuse = [&](const QString& why) {
        line.action = CommandLine::Action::Refuse;
        line.text = ("cerebrix: " + why + "\n\n" + usage()).toStdString();
        return line;
    };
    if (!parser.parse(args))
        return refuse(parser.errorText());
    if (parser.isSet("help-all")) {
        line.action = CommandLine::Action::HelpAll;
        return line;
    }
    if (parser.isSet("help")) {
        line.action = CommandLine::Action::Help;
        line.text = usage().toStdString();
        return line;
    }
    if (parser.isSet("version") || parser.isSet("v")) {
        line.action = CommandLine::Action::Version;
        line.text = "cerebrix " CEREBRIX_VERSION "\n" CEREBRIX_NOTICE "\n";
        return line;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refuse("only one brain file can be opened at a time.");
    if (!files.isEmpty())
        line.file = fileNameBytes(files.front());
    line.platformChosen = parser.isSet(platformOption);
    return line;
}

std::string missingDisplay(const CommandLine& line)
{
    if (line.platformChosen || isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"))
        return {};
    return "cerebrix: Cerebrix needs a graphical desktop, but no X11 or Wayland display was found "
           "(neither DISPLAY nor WAYLAND_DISPLAY is set).";
}

void watchDisplayOpening(bool on)
{
    if (on) {
        toolkitWarning.clear();
        toolkitHandler = qInstallMessageHandler(explainDisplayFailure);
    } else {
        qInstallMessageHandler(toolkitHandler);
    }
}

}  // namespace platform
