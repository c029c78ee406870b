#include "util/xml/XmlAttributeList.h"

#include <algorithm>

namespace ostrel::xml {

std::string& XmlAttributeList::operator[](const std::string& name) {
    const auto found = std::find_if(attributes_.begin(), attributes_.end(),
                                    [&name](const Attribute& attribute) { return attribute.first == name; });
    if (found != attributes_.end()) {
        return found->second;
    }
    attributes_.emplace_back(name, std::string());
    return attributes_.back().second;
}

}  // namespace ostrel::xml
