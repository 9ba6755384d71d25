#include "Tools/Keyscout/CKeyscoutProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string readBack(FILE* file)
{
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

// A stream that takes no writes, as a full disk or a closed pipe would.
FILE* unwritableStream()
{
    const char* path = "keyscout_program_test.txt";
    if (FILE* file = fopen(path, "w"))
        fclose(file);
    return fopen(path, "r");
}

TEST(CKeyscoutProgramTest, AnswersWithoutDisplayAndTheirStatuses)
{
    struct SCase
    {
        std::vector<const char*> arguments;
        bool writable;
        bool answered;
        int status;
        const char* output;
        const char* errors;
    };
    const SCase cases[] = {
        {{"--help"}, true, true, 0, "Usage: keyscout", ""},
        {{"--version", "--verbose"}, true, true, 0, "keyscout ", ""},
        {{"--bogus"}, true, true, 2, "", "keyscout: unknown option '--bogus'\nUsage: keyscout"},
        {{"--help"}, false, true, 3, "", "keyscout: the output could not be written: "},
        {{"--once", "--verbose"}, true, false, -1, "", ""},
        {{}, true, false, -1, "", ""},
    };
    for (const SCase& c : cases)
    {
        std::vector<const char*> argv = {"keyscout"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        FILE* output = c.writable ? tmpfile() : unwritableStream();
        FILE* errors = tmpfile();
        ASSERT_TRUE(output && errors);
        CKeyscoutProgram program(static_cast<int>(argv.size()), argv.data(), output, errors);
        int status = -1;
        EXPECT_EQ(program.answerAtOnce(status), c.answered) << argv.back();
        EXPECT_EQ(status, c.status) << argv.back();
        if (c.writable)
        {
            EXPECT_EQ(readBack(output).rfind(c.output, 0), 0u) << argv.back();
        }
        EXPECT_EQ(readBack(errors).rfind(c.errors, 0), 0u) << argv.back() << ": " << readBack(errors);
        fclose(output);
        fclose(errors);
    }
    remove("keyscout_program_test.txt");
}

} // namespace
