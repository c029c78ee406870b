#include "util/xml/XmlPlatform.h"

#include "util/xml/Transcode.h"

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

#include <cstdlib>

namespace ostrel::xml {
namespace {

TEST(XmlPlatformTest, StartsOnceAndUsesUtf8) {
    initializeXmlPlatform();
    initializeXmlPlatform();
    EXPECT_EQ("UTF-8", transcodeToUtf8(platformEncoding()));
    // Xerces counts its start-ups: one termination stops it only if it was
    // started exactly once, however often start-up was asked for.
    EXPECT_EXIT(
        {
            initializeXmlPlatform();
            xercesc::XMLPlatformUtils::Terminate();
            std::_Exit(xercesc::XMLPlatformUtils::fgTransService == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace ostrel::xml
