#pragma once
#include "platform/ports.h"

namespace xh {

// IProfileFile over our own INI editing and the file and text ports, for platforms
// without the Windows profile functions. The file is 8-bit text in the ANSI code page.
class IniProfileFile final : public IProfileFile {
public:
    std::string Read(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    void Write(const std::string& path, const std::string& section, const std::string& key,
               const std::string& value) override;
};

}  // namespace xh
