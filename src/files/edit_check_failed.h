#pragma once

#include <stdexcept>

namespace corvane {

// An edited configuration whose text, read back, is not what the tool meant
// to write. It is never written: a fault in an editor must not corrupt a
// user's file. Not a SetupError, so that each workflow reports it with its
// own fallback sentence.
class EditCheckFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace corvane
