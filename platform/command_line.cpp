#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

CommandLine readCommandLine(int argc, char** argv)
{
    QCoreApplication::setApplicationName("cerebrix");
    QCoreApplication::setApplicationVersion(CEREBRIX_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Paint a picture, grow a brain of coloured cells from it.");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("file", "A brain file (.brain) to open.", "[file]");
    // The toolkit's own options, taken up by it later: accepted, not listed.
    const QCommandLineOption platformOption("platform", "", "name");
    for (QCommandLineOption o : {platformOption, QCommandLineOption("display", "", "display"),
                                 QCommandLineOption("style", "", "style"),
                                 QCommandLineOption("qwindowgeometry", "", "geometry")}) {
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }

    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

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
    if (parser.isSet(help) || parser.isSet("help-all")) {
        line.action = CommandLine::Action::Help;
        line.text = usage().toStdString();
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = "cerebrix " CEREBRIX_VERSION "\n" CEREBRIX_NOTICE "\n";
        return line;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refuse("only one brain file can be opened at a time.");
    if (!files.isEmpty())
        line.file = files.front().toLocal8Bit().toStdString();
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
