#include "platform/ports.h"

namespace xh {

Ports& ports() {
    static Ports installed;
    return installed;
}

}  // namespace xh
