// The message files of a Maildir or of a folder tree, as units in a stable order.
#pragma once

#include "archive/archive_units.h"

#include <string>

namespace kodra {

// Appends the regular files of path/cur then path/new (tmp/ holds deliveries in progress
// and is left out), names in byte order; links and hidden names are skipped.
void listMaildirUnits(const std::string& path, std::size_t input, ArchiveListing& listing);

// Appends the regular files of the folder tree at path, depth first with each folder's
// names in byte order; links and hidden names are skipped, never followed.
void listFolderUnits(const std::string& path, std::size_t input, ArchiveListing& listing);

// path and name joined by one separator.
std::string joinPath(const std::string& path, const std::string& name);

}  // namespace kodra
