#pragma once
// The ZIP archive the program carries: the default settings file and the uninstall icon,
// unpacked once into the data folder's res folder.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace xh {

// Unpacks the embedded archive into dataFolder + "\res" unless the settings say it was done.
// `dataFolder` has no trailing separator.
void ExtractEmbeddedArchive(const std::string& dataFolder);

// Makes a stored entry name relative to the base folder (drive, leading separators and
// parent-folder sequences are dropped, one rule at a time). nullopt when the result would
// still leave the base folder or names nothing.
std::optional<std::string> RelativeEntryName(const std::string& storedName);

struct EntryAttributes {
    bool readOnly = false, hidden = false, system = false, directory = false, archive = false;
    bool operator==(const EntryAttributes&) const = default;
};
// From the version-made-by field's host code and the external attributes.
EntryAttributes DecodeEntryAttributes(std::uint16_t versionMadeBy, std::uint32_t externalAttributes);

struct EntryTimes {
    UnixTime creation = 0, access = 0, write = 0;
};
// The extended-timestamp ("UT") field of an entry's extra data replaces the times it carries.
EntryTimes ApplyExtendedTimestamp(EntryTimes times, const std::string& extraField);

}  // namespace xh
