// generate: K generations on the cells as the file holds them, saved whole.
#include <climits>

#include "commands.h"
#include "json_results.h"
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
    const auto result = [&](int k, const brain::Apex& apex) {
        return args.has("json") ? generationJson(out, k, apex)
                                : "generation " + std::to_string(k) + ": apex " + describeApex(apex) + "\n";
    };
    brain::Apex apex;
    {
        Progress progress("generating", count);
        // A wider counter: the largest count must end too.
        for (long long k = 1; k <= count; ++k) {
            apex = brain::generate(*brain.cells);
            // Each line as it comes, for a reader that follows the run.
            if (every)
                report(out, result(int(k), apex), true);
            progress.update(long(k));
        }
    }
    saveBrain(out, brain, every ? "" : result(count, apex));
    return 0;
}

}  // namespace cli
