#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "files/config_files.h"
#include "support/stray_temporaries.h"
#include "support/temp_home.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string pattern(std::size_t size, unsigned seed) {
    std::string text(size, '\0');
    std::minstd_rand random(seed);
    for (char& c : text) c = static_cast<char>('a' + random() % 26);
    return text;
}

// A writer killed at any moment leaves the old content or the new one, never
// a mix, and at most the one temporary file it was writing.
TEST(WritePrivateFileCrash, KilledWriterLeavesOneCompleteContent) {
    testing::TempHome home;
    const fs::path folder = home.path() / "config";
    fs::create_directory(folder);
    const fs::path target = folder / "config.json";
    const std::string first = pattern(3 << 20, 1);
    const std::string second = pattern(2 << 20, 2);
    writePrivateFile(first, target);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto deadline = std::chrono::steady_clock::now() + 4s;
    int rounds = 0;
    int interrupted = 0;
    while (rounds < 150 && std::chrono::steady_clock::now() < deadline) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i) {
                try {
                    writePrivateFile(i % 2 == 0 ? second : first, target);
                } catch (...) {
                    _exit(1);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer failed on its own in round " << rounds;

        const std::string content = testing::readFile(target);
        ASSERT_TRUE(content == first || content == second)
            << "round " << rounds << ": " << content.size() << " bytes";
        EXPECT_EQ(testing::permissions(target), 0600u);
        const auto strays = testing::strayTemporaries(folder);
        ASSERT_LE(strays.size(), 1u) << "round " << rounds;
        if (!strays.empty()) {
            ++interrupted;
            fs::remove(folder / strays.front());
        }
        ++rounds;
    }
    RecordProperty("rounds", rounds);
    RecordProperty("interrupted", interrupted);
    EXPECT_GE(rounds, 10);
    // Without a kill in the middle of a write the test would prove nothing.
    EXPECT_GT(interrupted, 0);
}

}  // namespace
}  // namespace corvane
