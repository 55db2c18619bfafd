#include <gtest/gtest.h>

#include "platform/backend.h"

// The adapter tests run with this backend's real ports installed.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    xh::InstallBackendPorts();
    return RUN_ALL_TESTS();
}
