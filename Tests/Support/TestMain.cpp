#include "Engine/IKernel/CKernelThrowReporter.h"
#include "Engine/IKernel/IKernel.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Crash reports in tests skip the slow machine measurements.
    Tavrin::Engine::IKernel::setTestMode(true);
    // Every throw reports as in a program whose kernel is installed.
    Tavrin::Engine::installKernelThrowReporter();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
