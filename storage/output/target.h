#pragma once
// What a write may replace, and which file that is when the name is a
// symbolic link: the rules every write obeys, decided once.
#include <sys/types.h>

#include <string>

namespace storage::detail {

// What a write will replace: the file a path leads to, links followed.
struct Target {
    std::string path;    // the file to replace or create
    std::string folder;  // where its temporary file goes
    bool exists = false;
    mode_t mode = 0;     // of the file replaced
    int systemError = 0; // behind a refusal the system made (ENOENT: no folder), 0 for a rule
};

// Why `name` may not be written, in plain words, or empty when it may; fills
// `out` with where the new file goes. The rules every write obeys: a link is
// followed and the file it leads to replaced; a link that leads nowhere, a
// folder, device, FIFO or socket, a write-protected file, one with other
// names (hard links; our own hidden backups do not count) and another
// user's are refused, as is a folder that is not there.
std::string targetProblem(const std::string& name, Target& out);
// The folder the file `name` leads to lies in, without any other check.
std::string targetFolder(const std::string& name);

}  // namespace storage::detail
