#pragma once

#include "Tools/Keyscout/Linux/DialogEntries.h"

#include <string>

// Finds and loads the dialog's library: beside the program (a build or an
// unpacked folder), else in the library folder of an installed program.
// It stays loaded for the rest of the process: GTK cannot be unloaded.
class CDialogLibrary
{
public:
    static const char* const C_FILE_NAME;

    // False, with the reason in getError(), when no library could be loaded.
    bool load();
    const SDialogEntries& getEntries() const { return *m_entries; }
    const std::string& getError() const { return m_error; }

private:
    bool _loadFrom(const std::string& path);

    const SDialogEntries* m_entries = nullptr;
    std::string m_error;
};
