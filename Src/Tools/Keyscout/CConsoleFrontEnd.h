#pragma once

#include "Tools/Keyscout/CDetectionFrontEnd.h"

#include <cstdio>

// Prints every finished detection as one line (empty when nothing was
// recorded), so that the program's output can be piped or kept in a file.
class CConsoleFrontEnd : public CDetectionFrontEnd
{
public:
    explicit CConsoleFrontEnd(FILE* output = stdout) : m_output(output) {}

    void onDetectionStarted() override {}
    void onDetectionFinished(const Tavrin::Engine::CString& result) override;

    // The system's error code of the first line that could not be written
    // by any console front end, 0 while every line went out.
    static int getFirstWriteError() { return s_firstWriteError; }

private:
    FILE* m_output;
    static int s_firstWriteError;
};
