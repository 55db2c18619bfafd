#include "app/profile.h"

#include "build_config.h"
#include "platform/ports.h"

namespace xh {
namespace {

constexpr ProfileEntry kTable[] = {
#define XH_PROFILE(id, text) {id, text},
#include "profile_strings.inc"
#undef XH_PROFILE
};

}  // namespace

std::span<const ProfileEntry> ProductProfileTable() { return kTable; }

std::string LoadProfileString(unsigned id) {
    IStringTable* strings = ports().strings;
    return strings ? strings->Load(id) : std::string();
}

}  // namespace xh
