#pragma once
// Private-profile INI editing for platforms without the Windows profile functions.
// Works on the file's raw bytes so that lines it does not touch stay byte for byte.
// Section and key names match without regard to ASCII case, blanks around names and
// values are not part of them, and one pair of matching quotes around a value is dropped,
// as the Windows functions do.
#include <optional>
#include <string>

namespace xh::ini {

// The value of section/key in `content`, or nullopt when the section or key is missing.
std::optional<std::string> Find(const std::string& content, const std::string& section, const std::string& key);

// `content` with key=value written: the key's line replaced where it exists, otherwise a new
// line after the section's last entry, otherwise a new section at the end.
std::string Put(const std::string& content, const std::string& section, const std::string& key, const std::string& value);

}  // namespace xh::ini
