#include "CompactStyle.h"

#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

// The window tests need one application for the whole run, on a screen nobody sees.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UseCompactStyle();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
