// Linked with the kernel's ground floor alone: a reference from strings,
// arrays, hashes or exceptions to the log or the stack walker fails the link.
#include "Engine/IKernel/CThrowReporter.h"
#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Types/CArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

// Records what a throw hands its reporter, in order.
class CRecordingReporter final : public CThrowReporter
{
public:
    std::vector<std::string> events;
    void writeCrashReport() override { events.push_back("crash report"); }
    void logText(const char* text) override { events.push_back(text); }
    bool showReport(void*, const char*, const char*) override { return true; }
    CString getApplicationShortName() override { return "tool"; }
};

void readOutsideRange()
{
    CArray<int> values;
    values.add(1);
    (void)values.at(3);
}

} // namespace

TEST(GroundFloorTest, ThrowsWithItsTextWithOrWithoutAReporter)
{
    for (bool withReporter : {false, true})
    {
        CRecordingReporter reporter;
        CThrowReporter::install(withReporter ? &reporter : nullptr);
        try
        {
            readOutsideRange();
            ADD_FAILURE() << "no throw";
        }
        catch (const CInvalidArgumentException& exception)
        {
            EXPECT_STREQ(exception.getFile().c_str(), "Engine/IKernel/Types/CArray");
            EXPECT_EQ(exception.getLine(), 1014);
            EXPECT_STREQ(exception.getDetails().c_str(), "Accessing array element outside range\n");
        }
        std::vector<std::string> expected;
        if (withReporter)
            expected = {"crash report",
                        "Exception (Unknown) Engine/IKernel/Types/CArray::1014 -> Accessing array element outside range\n\n"};
        EXPECT_EQ(reporter.events, expected);
        EXPECT_STREQ(CException::buildCaption().c_str(),
                     withReporter ? "tool: exception detected" : ": exception detected");
        CThrowReporter::install(nullptr);
    }
}
