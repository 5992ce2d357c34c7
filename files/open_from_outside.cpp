#include "open_from_outside.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "panels.h"
#include "window/drawing.h"
#include "window/names.h"

namespace files {
namespace {

// The file lists match "*.brain" without regard to case; so do drops.
bool namedAsBrain(const std::string& path)
{
    static const std::string ext = ".brain";
    if (path.size() <= ext.size())
        return false;
    return std::equal(ext.rbegin(), ext.rend(), path.rbegin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

void installOpenFromOutside(window::Drawing& d)
{
    d.setDropHandlers([&d](const std::string& path) { return acceptsOutsideFile(d, path); },
                      [&d](const std::string& path) { openFromOutside(d, path); });
}

bool acceptsOutsideFile(window::Drawing& d, const std::string& path)
{
    std::error_code ec;
    return d.started() && !d.mover().playing() && d.menus().reachable(window::menu::kLoadBrain) && namedAsBrain(path) &&
           std::filesystem::is_regular_file(path, ec);
}

bool openFromOutside(window::Drawing& d, const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    if (!loadBrain(d, path))
        return false;
    // No panel closes after this load: clear a reason left by an earlier one.
    d.host().setVisible(window::control::kFileMessage, false);
    d.host().setText(window::control::kFileMessage, "");
    if (!ec)
        std::filesystem::current_path(folder, ec);  // should the folder vanish meanwhile, stay where we are
    return true;
}

}  // namespace files
