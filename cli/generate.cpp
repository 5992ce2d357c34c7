// generate: K generations on the cells as the file holds them, saved whole.
#include <climits>
#include <cstdio>

#include "commands.h"
#include "output_path.h"
#include "progress.h"

namespace cli {

int generateCommand(const Arguments& args)
{
    if (!args.has("generations"))
        throw UsageError("-n K, the number of generations, is required");
    if (!args.has("output"))
        throw UsageError("-o OUT, the brain file to write, is required");
    const int count = parseNumber(args.required("generations"), "the number of generations", 1, INT_MAX);
    const std::string& out = args.required("output");
    checkOutputPath(out);
    storage::LoadedBrain brain = loadBrain(args);

    const bool every = args.has("every");
    brain::Apex apex;
    {
        Progress progress("generating", count);
        for (int k = 1; k <= count; ++k) {
            apex = brain::generate(*brain.cells);
            if (every)
                std::fprintf(reportStream(out), "generation %d: apex %s\n", k, describeApex(apex).c_str());
            progress.update(k);
        }
    }
    saveBrain(out, brain);
    if (!every)
        std::fprintf(reportStream(out), "generation %d: apex %s\n", count, describeApex(apex).c_str());
    return 0;
}

}  // namespace cli
