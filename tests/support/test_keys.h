#pragma once

namespace corvane::testing {

// The API keys the tests type into forms. Hosts and program runners check that
// neither ever appears in a status, a detail or an output.
inline constexpr const char* kSampleKey = "sk-sample-0123456789";
inline constexpr const char* kWorkflowKey = "sk-workflow-5c1d0e77";

}  // namespace corvane::testing
