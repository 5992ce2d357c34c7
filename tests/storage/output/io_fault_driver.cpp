// Runs one save, load or commit of pictures with the preloaded
// fault-injection layer armed:
//   io_fault_driver save|save-named|load|pictures|pictures-named FOLDER
// saves sampleBrain(kSavedSize) over FOLDER/old.brain (save-named: through a
// named temporary file, as where unnamed ones are missing), or loads it and
// expects sampleBrain(kLoadedSize). Prints "ok" or "refused", the message
// and the counted calls; exits 3 when the caller's brain was touched or a
// load handed over anything but the whole brain. pictures: writes "new K"
// as FOLDER/pK.png for K = 1, 2 and FOLDER/sub/pK.png for K = 3, 4 in one
// batch (flushed to the disk with pictures-named only).
#include <dlfcn.h>

#include <cstdio>

#include "storage/output/atomic_file.h"
#include "storage/output/leftovers.h"
#include "storage/output/file_batch.h"
#include "tests/storage/brain_file_test_util.h"

using namespace storage;

int main(int argc, char** argv)
{
    const auto arm = reinterpret_cast<void (*)(bool)>(::dlsym(RTLD_DEFAULT, "io_faults_arm"));
    const auto callLog = reinterpret_cast<const char* (*)()>(::dlsym(RTLD_DEFAULT, "io_faults_log"));
    if (argc != 3 || !arm || !callLog) {
        std::fprintf(stderr, "usage: LD_PRELOAD=io_faults.so io_fault_driver save|save-named|load|pictures|pictures-named FOLDER\n");
        return 2;
    }
    const std::string mode = argv[1], target = std::string(argv[2]) + "/old.brain";
    FileResult r;
    bool intact = true;
    if (mode == "load") {
        const LoadedBrain want = test::sampleBrain(test::kLoadedSize);
        LoadedBrain got = test::sampleBrain(3);  // a load replaces it whole, or empties it
        arm(true);
        r = readBrainFile(target, got);
        arm(false);
        intact = r.ok ? test::sameBrain(got, want) : !got.cells;
    } else if (mode.starts_with("pictures")) {
        detail::allowUnnamedTemporaries(mode != "pictures-named");
        FileBatch batch(WriteOptions{mode == "pictures-named"});  // flushed, as brains are, only there: for speed
        arm(true);
        for (int k = 1; k <= 4 && (k == 1 || r.ok); ++k)
            r = batch.put(std::string(argv[2]) + (k > 2 ? "/sub/p" : "/p") + std::to_string(k) + ".png",
                          "new " + std::to_string(k));
        if (r.ok)
            r = batch.commit();
        arm(false);
    } else {
        detail::allowUnnamedTemporaries(mode != "save-named");
        const LoadedBrain brain = test::sampleBrain(test::kSavedSize), copy = test::sampleBrain(test::kSavedSize);
        arm(true);
        r = writeBrainFile(target, brain.header, *brain.cells);
        arm(false);
        intact = test::sameBrain(brain, copy);
    }
    std::printf("%s\n%s\n%s", r.ok ? "ok" : "refused", r.error.c_str(), callLog());
    return intact ? 0 : 3;
}
