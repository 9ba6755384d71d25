#include <gtest/gtest.h>

TEST(CGZipStreamInterop, SystemGzipReadsOurOutput)
{
    // Decompressing the system gzip's files runs here too (from the samples the
    // build makes); only this direction needs the gzip command at test time.
    GTEST_SKIP() << "Windows has no gzip command to decompress our output; "
                    "the Linux run checks it, and zlib's own reader checks it here";
}
