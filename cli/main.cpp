// cerebrix-cli: brains without a window. Inspect a brain file, run
// generations, render layers as pictures, grow a new brain from an image.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "standard_streams.h"
#include "storage/output/output_file.h"
#include "storage/output/leftovers.h"
#include "text_escape.h"

#ifndef CEREBRIX_VERSION
#define CEREBRIX_VERSION "1.0"
#endif
#ifndef CEREBRIX_NOTICE
#define CEREBRIX_NOTICE ""
#endif

namespace {

using namespace cli;

struct Command {
    const char* name;
    const char* summary;
    const char* help;  // usage line and options
    std::vector<OptionKind> options;
    int (*run)(const Arguments&);
};

const std::vector<Command>& commandTable()
{
    static const std::vector<Command> table = {
        {"info", "print what a brain file holds",
         "Usage: cerebrix-cli info FILE... [--json]\n"
         "\n"
         "Reads each FILE whole, as the Load panel does, and prints its size, drawing\n"
         "colour, maze-mover position and direction, the apex cell as stored, and\n"
         "the file's length in bytes. FILE - is standard input. A file that is\n"
         "refused is reported on stderr and the others still print; the status\n"
         "is then 1.\n"
         "\n"
         "  --json        print the same as one JSON object per file, one per line\n",
         {{"json", 0, false}}, infoCommand},
        {"generate", "run generations and save the result",
         "Usage: cerebrix-cli generate FILE -n K -o OUT [--every] [--json]\n"
         "\n"
         "Runs K generations on the cells as FILE holds them (nothing is sampled:\n"
         "the input layer is what the file holds), saves the brain to OUT as the\n"
         "Save panel does, and prints the apex after the last generation.\n"
         "FILE - is standard input.\n"
         "\n"
         "  -n, --generations K   how many generations to run (at least 1)\n"
         "  -o, --output OUT      the brain file to write (may be FILE itself);\n"
         "                        - writes it to standard output\n"
         "  --every               print the apex after every generation\n"
         "  --json                print each apex as one JSON object per line:\n"
         "                        file, generation, apex {red, green, blue}, output\n",
         {{"generations", 'n', true}, {"output", 'o', true}, {"every", 0, false}, {"json", 0, false}},
         generateCommand},
        {"render", "write layers as pictures",
         "Usage: cerebrix-cli render FILE --layer L -o OUT.png [--scale S]\n"
         "       cerebrix-cli render FILE --layer all -o PATTERN [--scale S]\n"
         "\n"
         "Writes the grid square as the window shows it with layer L on view: 1 is\n"
         "the input layer, the top layer is the brain's size; cells left of or above\n"
         "the layer's square are white. FILE - is standard input. The picture's\n"
         "format follows OUT's suffix: .png (also without a suffix), .jpg, .bmp, ...\n"
         "\n"
         "  --layer L|all        the layer to show, or every layer, one picture each\n"
         "  -o, --output OUT     the picture to write (- for standard output, as PNG);\n"
         "                       with all, a pattern in which\n"
         "                       %d stands for the layer number, %03d for one padded\n"
         "                       with zeros to three digits (%% for a percent sign)\n"
         "  --scale S            draw each cell as an S x S block of pixels (default 1)\n",
         {{"layer", 0, true}, {"output", 'o', true}, {"scale", 0, true}}, renderCommand},
        {"new", "make a fresh brain, or grow one from an image",
         "Usage: cerebrix-cli new --size N -o OUT [--from-image IMG] [--colour R,G,B] [--json]\n"
         "\n"
         "Writes a fresh brain of size N as the window makes one at start: every\n"
         "cell 0, the maze-mover at 0,0 moving +1,+1, drawing colour 128,128,128.\n"
         "With an image, its top-left N x N pixels are painted on the input layer\n"
         "and one generation runs, as Enter would; the apex is printed.\n"
         "\n"
         "  --size N             the brain's size (at least 2)\n"
         "  -o, --output OUT     the brain file to write; - writes it to standard output\n"
         "  --from-image IMG     an image at least N x N pixels (PNG, JPEG, BMP, ...),\n"
         "                       turned as its EXIF orientation says; - reads it\n"
         "                       from standard input\n"
         "  --colour R,G,B       the drawing colour to store, each 0..255\n"
         "  --json               print the result as one JSON object: file, generation\n"
         "                       (1 with an image, else 0), apex {red, green, blue}, output\n",
         {{"size", 0, true}, {"output", 'o', true}, {"from-image", 0, true}, {"colour", 0, true}, {"json", 0, false}},
         newCommand},
    };
    return table;
}

void printVersion()
{
    printOut(std::string("cerebrix-cli ") + CEREBRIX_VERSION + "\n" + CEREBRIX_NOTICE + "\n");
}

void printProgramHelp()
{
    std::string text =
        "Usage: cerebrix-cli COMMAND [ARGUMENTS]\n"
        "\n"
        "Cerebrix brains without a window.\n"
        "\n"
        "Commands:\n";
    for (const Command& c : commandTable()) {
        std::string name = c.name;
        name.resize(10, ' ');
        text += "  " + name + " " + c.summary + "\n";
    }
    text +=
        "\n"
        "cerebrix-cli help COMMAND (or COMMAND --help) tells more about each;\n"
        "--version (-V) the version.\n"
        "Exit status: 0 done, 1 refused (nothing written), 2 wrong usage.\n";
    printOut(text);
}

int runCommand(const Command& command, const std::vector<std::string>& rest)
{
    const std::string prefix = std::string("cerebrix-cli ") + command.name + ": ";
    try {
        Arguments args = parseArguments(rest, command.options);
        if (args.help) {
            printOut(command.help);
            return 0;
        }
        if (args.version) {
            printVersion();
            return 0;
        }
        return command.run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s%s (see cerebrix-cli %s --help)\n", prefix.c_str(), printable(e.what()).c_str(),
                     command.name);
        return 2;
    } catch (const Refusal& e) {
        std::fprintf(stderr, "%s%s\n", prefix.c_str(), printable(e.what()).c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%snot enough memory\n", prefix.c_str());
        return 1;
    }
}

// cerebrix-cli help COMMAND: that command's help, as COMMAND --help.
int helpOn(const std::string& name, std::size_t words)
{
    if (words > 2) {
        std::fprintf(stderr, "cerebrix-cli help: one command only (see cerebrix-cli --help)\n");
        return 2;
    }
    for (const Command& c : commandTable())
        if (name == c.name) {
            printOut(c.help);
            return 0;
        }
    std::fprintf(stderr, "cerebrix-cli help: unknown command '%s' (see cerebrix-cli --help)\n",
                 printable(name).c_str());
    return 2;
}

int run(const std::vector<std::string>& args)
{
    if (args.empty()) {
        std::fprintf(stderr, "cerebrix-cli: a command is required: info, generate, render or new "
                             "(see cerebrix-cli --help)\n");
        return 2;
    }
    const std::string& first = args[0];
    try {
        if (first == "help" && args.size() > 1)
            return helpOn(args[1], args.size());
        if (first == "--help" || first == "-h" || first == "help") {
            printProgramHelp();
            return 0;
        }
        if (first == "--version" || first == "-V") {
            printVersion();
            return 0;
        }
    } catch (const Refusal& e) {
        std::fprintf(stderr, "cerebrix-cli: %s\n", e.what());
        return 1;
    }
    for (const Command& c : commandTable())
        if (first == c.name)
            return runCommand(c, std::vector<std::string>(args.begin() + 1, args.end()));
    std::fprintf(stderr, "cerebrix-cli: unknown command '%s' (see cerebrix-cli --help)\n", printable(first).c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // A file-size limit must make a write fail and say so, not end the
    // program; so must a closed pipe, which is refused as a full disk is.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // What the writer had to leave as it was after a write cut short.
    storage::setNoticeHandler([](const std::string& line) { printErr("cerebrix-cli: " + printable(line) + "\n"); });
    return finishStandardOutput(run(std::vector<std::string>(argv + 1, argv + argc)));
}
