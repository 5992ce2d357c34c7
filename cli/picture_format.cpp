#include "picture_format.h"

#include <algorithm>

#include "arguments.h"
#include "platform/image_file.h"

namespace cli {

std::string pictureFormatFor(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    // No suffix (or only a leading dot, as in ".layer"): PNG, as ever.
    if (dot == std::string::npos || dot == 0)
        return "png";
    std::string suffix = name.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    const std::vector<std::string> formats = platform::writableImageFormats();
    if (std::find(formats.begin(), formats.end(), suffix) != formats.end())
        return suffix;
    std::string list;
    for (const std::string& f : formats)
        list += (list.empty() ? "" : ", ") + f;
    throw Refusal("no picture format is known by the suffix \"." + suffix + "\" of \"" + path
                  + "\"; the formats are " + list);
}

}  // namespace cli
