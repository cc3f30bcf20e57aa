#pragma once

#include <QString>

namespace kvilbro {

// The four process-wide settings, set once during start-up and read-only after.
struct Settings {
    QString helpDocument;   // relative to the current directory at the moment of use
    QString defaultPicture; // full path of the panel's picture for a number without one
    QString reportPicture;  // full path of the picture want list's placeholder
    QString readmeFile;     // full path of the readme document; only the settings file carries it

    static const Settings& current();
    // Start-up's access; nothing else writes the settings.
    static Settings& forStartUp();

    // Sets the three full paths from the working directory.
    void setPathsFromWorkingDirectory();
    // Writes "MankoSys.stm" in the working directory: the three full paths in
    // Windows-1252, each line ended by CR LF. Throws Error with the system's reason.
    void writeFile() const;
};

} // namespace kvilbro
