// The least a run of hemwright has to do before it can look at input.xml:
// start Xerces-C and Xalan-C the way the program does and parse input.xml
// from the current directory into a DOM. bench.sh times it next to a whole
// run of hemwright on a one-file step, so the difference is what the program
// adds (XPath queries, the rewrite, output.xml) on top of the libraries.
//
// Exits 0 when input.xml parsed without error, 1 otherwise.
#include <xalanc/Include/XalanMemoryManagement.hpp>
#include <xalanc/XPath/XPathEvaluator.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

int main() {
    try {
        xercesc::XMLPlatformUtils::Initialize();
        xercesc::MemoryManager& memoryManager = xalanc::XalanMemMgrs::getDefaultXercesMemMgr();
        xalanc::XalanTransformer::initialize(memoryManager);
        xalanc::XPathEvaluator::initialize(memoryManager);

        xercesc::XercesDOMParser parser;
        parser.setLoadExternalDTD(false);
        parser.setDoNamespaces(true);
        parser.parse("input.xml");
        // Like hemwright, the libraries are not shut down: the process ends
        // here and the operating system takes the memory back, so a floor
        // that paid for termination would be higher than the program's.
        return parser.getErrorCount() == 0 && parser.getDocument() != nullptr ? 0 : 1;
    } catch (...) {
        return 1;
    }
}
