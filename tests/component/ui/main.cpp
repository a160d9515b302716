// The window tests run on Qt's offscreen platform unless another one was chosen.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#include "common/context.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    sovrel::ContextLifetime context;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
