#pragma once

#include <QString>

namespace ql::install {

// Lays out a program directory: the executable (when one is given, replacing the one there),
// "Temp" and "Data" each holding the eight empty tables, and the engine configuration naming
// the organizer's database for "Data". Tables that exist already are kept as they are, so laying
// out an installed directory again loses nothing. Everything is readable by the user alone.
// Throws ql::Error with a clear text on failure.
void layOut(const QString& programDirectory, const QString& executable = {});

// Writes a desktop entry "quillory.desktop" into applicationsDirectory that starts the program
// of the program directory, with the icon "quillory.png" laid beside it.
void writeDesktopEntry(const QString& programDirectory, const QString& applicationsDirectory);

// The engine configuration file of a program directory.
QString configurationFile(const QString& programDirectory);

} // namespace ql::install
