// Test entry: the process is prepared as the program prepares it (OLE, program directory).
#include <gtest/gtest.h>

#include "app/lifecycle.h"

int main(int argc, char** argv) {
    app::prepareProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
