#include "support/apply_patch.h"

#include "support/run_program.h"

namespace corvane::testing {

bool applyPatch(const std::string& diff) {
    ProgramRun run;
    run.program = "/usr/bin/patch";
    run.arguments = {"--silent", "--binary", "--forward", "-p1", "-d", "/"};
    run.input = diff;
    return runProgram(run).exitStatus == 0;
}

}  // namespace corvane::testing
