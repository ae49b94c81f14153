#pragma once

#include <filesystem>
#include <string>

namespace corvane::testing {

// A small tmpfs mounted at `folder` (created when missing) for one test, with
// mount(8)-style options such as "size=16k" or "ro"; unmounted on
// destruction. Mounting needs privileges that a test run may lack, and Linux:
// check mounted() and skip otherwise.
class TmpfsMount {
public:
    TmpfsMount(std::filesystem::path folder, const std::string& options);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return mounted_; }

    // Fills the file system until no byte more fits.
    void fill() const;

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

}  // namespace corvane::testing
