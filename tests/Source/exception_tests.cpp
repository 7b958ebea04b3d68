#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Skia/Exceptions.h"

using namespace Skia;

namespace {

struct Case {
    std::function<void()> raise;
    bool argument;  // ESkArgumentException rather than ESkException
    std::string message;
};

TEST(Exceptions, FixedMessagesAndClasses) {
    const std::vector<Case> cases = {
        {[] { RaiseParameterNil("APaint"); }, true, "Parameter APaint cannot be nil"},
        {[] { RaiseParameterEmpty("ASKSL"); }, true, "Parameter ASKSL cannot be empty"},
        {[] { RaiseParameterSizeMismatch("APositions"); }, true, "Parameter APositions size mismatch"},
        {[] { RaiseParameterSizeOdd("APoints"); }, true, "Parameter APoints size cannot be odd"},
        {[] { RaiseParameterOutOfRange("AIndex", -1, 3); }, true, "Parameter AIndex out of range (-1). Must be >= 0 and < 3"},
        {[] { RaiseInvalidExtension(); }, true, "Invalid extension"},
        {[] { RaiseFileNameEmpty(); }, false, "File name cannot be empty"},
        {[] { RaiseInvalidOperation(); }, false, "Operation is invalid"},
        {[] { RaiseOutOfMemory(); }, false, "Out of memory"},
    };
    for (const auto& c : cases) {
        try {
            c.raise();
            ADD_FAILURE() << "nothing raised for " << c.message;
        } catch (const ESkArgumentException& e) {
            EXPECT_TRUE(c.argument) << c.message;
            EXPECT_EQ(e.what(), c.message);
        } catch (const ESkException& e) {
            EXPECT_FALSE(c.argument) << c.message;
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

TEST(Exceptions, ChecksPassValidArgumentsAndRejectTheRest) {
    EXPECT_NO_THROW(CheckIndex(0, 1, "AIndex"));
    EXPECT_THROW(CheckIndex(1, 1, "AIndex"), ESkArgumentException);
    EXPECT_THROW(CheckIndex(0, 0, "AIndex"), ESkArgumentException);
    EXPECT_THROW(CheckNotEmpty(std::string(), "ASKSL"), ESkArgumentException);
    EXPECT_THROW(CheckNotNil(static_cast<int*>(nullptr), "APaint"), ESkArgumentException);
}

}  // namespace
