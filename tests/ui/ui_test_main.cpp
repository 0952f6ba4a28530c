// The entry of the window layer's tests: one application object for the
// whole test program, as in the real one. Windows are drawn offscreen unless
// the environment names a platform (CTest sets "offscreen"; the test
// discovery at build time sets nothing).

#include <gtest/gtest.h>

#include <QtGlobal>

#include "app/ui/rubso_application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    rubso::RubsoApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
