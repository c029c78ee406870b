#ifndef OSTREL_XML_STANDARDOUTOFMEMORY_H
#define OSTREL_XML_STANDARDOUTOFMEMORY_H

#include <xercesc/util/OutOfMemoryException.hpp>

#include <new>

namespace ostrel::xml {

// Runs body and returns what it returns. Xerces and Xalan report running out
// of memory with an exception of their own, which nothing above the XML
// layer knows; it leaves here as std::bad_alloc, as the standard library
// reports it.
template <typename Body>
decltype(auto) withStandardOutOfMemory(Body&& body) {
    try {
        return body();
    } catch (const xercesc::OutOfMemoryException&) {
        throw std::bad_alloc();
    }
}

}  // namespace ostrel::xml

#endif
