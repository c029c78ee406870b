#ifndef OSTREL_XML_XMLATTRIBUTELIST_H
#define OSTREL_XML_XMLATTRIBUTELIST_H

#include <cstddef>
#include <deque>
#include <string>
#include <utility>

namespace ostrel::xml {

// The attributes of one element as the XML writer emits them: (name, value)
// pairs of 8-bit strings in the order in which each name was first used.
// Names are unique and compared byte for byte. Not thread-safe.
class XmlAttributeList {
public:
    using Attribute = std::pair<std::string, std::string>;
    using const_iterator = std::deque<Attribute>::const_iterator;

    // The value held under name; a new pair with an empty value is appended
    // when there is none, so the name keeps the position of its first use.
    // The reference stays valid until clear() or the list's end, also while
    // further names are added.
    std::string& operator[](const std::string& name);

    // Removes every pair.
    void clear() { attributes_.clear(); }

    const_iterator begin() const { return attributes_.begin(); }
    const_iterator end() const { return attributes_.end(); }
    std::size_t size() const { return attributes_.size(); }
    bool empty() const { return attributes_.empty(); }

private:
    // A deque keeps references to its elements valid when appending.
    std::deque<Attribute> attributes_;
};

}  // namespace ostrel::xml

#endif
