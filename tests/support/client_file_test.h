#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "files/config_files.h"
#include "support/temp_home.h"

namespace corvane::testing {

// A test in a temporary home around one client's configuration file, given
// relative to the home, and the recovery backup the tool keeps beside it.
class ClientFileTest : public ::testing::Test {
protected:
    explicit ClientFileTest(std::filesystem::path relative) : relative_(std::move(relative)) {}

    std::filesystem::path file() const { return home.path() / relative_; }
    std::filesystem::path backup() const { return recoveryBackupURL(file()); }

    TempHome home;

private:
    std::filesystem::path relative_;
};

}  // namespace corvane::testing
