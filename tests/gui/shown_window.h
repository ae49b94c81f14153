#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include "gui/setup_window.h"
#include "recording_actions.h"
#include "window_driver.h"

namespace corvane::testing {

// A shown window whose buttons reach recording stand-ins for the workflows.
// Public, so the step tables of a test can reach it.
class ShownWindowTest : public ::testing::Test {
public:
    void SetUp() override {
        window.setActions(&actions);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    RecordingActions actions;
    SetupWindow window;
    WindowDriver driver{window};
};

}  // namespace corvane::testing
