#include "qt_file_list.h"

#include "name_pattern.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <QListWidget>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr const char* kReading = "reading";  // counts the readings of a list; the newest one fills it
constexpr int kEntriesAtOnce = 5000;          // folder entries looked at in one step
constexpr std::size_t kNamesAtOnce = 2000;    // names added to the list in one step

// The listing tells most entries' kind; only links, and entries of a file
// system that does not say, are looked up.
bool isFolder(int folder, const dirent* e)
{
    if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
        return e->d_type == DT_DIR;
    struct stat s;
    return ::fstatat(folder, e->d_name, &s, 0) == 0 && S_ISDIR(s.st_mode);
}

// One reading of the working folder for one list: first the folder is read
// to its end, then the sorted names are added to the list.
class Reading {
public:
    explicit Reading(std::string pattern) : dir_(::opendir(".")), pattern_(std::move(pattern)) {}
    ~Reading() { closeFolder(); }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;

    // One step; false once the list holds every name.
    bool step(QListWidget* list)
    {
        if (dir_) {
            readSome();
            return true;
        }
        const std::size_t to = std::min(names_.size(), added_ + kNamesAtOnce);
        QStringList some;
        for (std::size_t i = added_; i < to; ++i)
            some << QFile::decodeName(names_[i].c_str());
        const QSignalBlocker quiet(list);
        list->addItems(some);
        added_ = to;
        return added_ < names_.size();
    }

private:
    void readSome()
    {
        for (int i = 0; i < kEntriesAtOnce; ++i) {
            const dirent* e = ::readdir(dir_);
            if (!e) {
                closeFolder();
                // Byte order, which is the order of the characters' numbers.
                std::sort(names_.begin(), names_.end());
                return;
            }
            if (matchesPattern(e->d_name, pattern_) && !isFolder(::dirfd(dir_), e))
                names_.emplace_back(e->d_name);
        }
    }
    void closeFolder()
    {
        if (dir_)
            ::closedir(dir_);
        dir_ = nullptr;
    }

    DIR* dir_;
    std::string pattern_;
    std::vector<std::string> names_;
    std::size_t added_ = 0;
};

// Steps at once while the work is small; a step still due runs from the
// event loop, unless the list was read anew meanwhile.
void carryOn(QListWidget* list, const std::shared_ptr<Reading>& reading, int id, int stepsNow)
{
    while (list->property(kReading).toInt() == id && reading->step(list))
        if (--stepsNow <= 0) {
            QTimer::singleShot(0, list, [list, reading, id] { carryOn(list, reading, id, 1); });
            return;
        }
}

}  // namespace

void rereadFileList(QListWidget* list)
{
    {
        const QSignalBlocker quiet(list);
        list->clear();
    }
    const int id = list->property(kReading).toInt() + 1;
    list->setProperty(kReading, id);
    // A folder of a few thousand entries is read and shown before the panel opens.
    carryOn(list, std::make_shared<Reading>(list->property("pattern").toString().toStdString()), id, 3);
}

}  // namespace platform
