// libFuzzer entry: whatever the bytes, the reader keeps its contract (see
// readerContractBroken). Crashes, leaks and undefined behaviour are caught by
// the sanitizers.
#include <cstdio>

#include "tests/storage/brain_file_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string broken = storage::test::readerContractBroken(reinterpret_cast<const char*>(bytes), size);
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
