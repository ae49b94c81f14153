// reset-race <client case name> <edit|delete> <configuration file>
//
// Runs ClientConfigurationReset for the client (default path, environment as
// given) and, at the moment the reset first opens a recovery backup (it has
// read the configuration file by then and has not yet written it), edits the
// configuration file (appends a line break) or deletes it, as another program
// would. Prints "refused: <message>", "reset: true|false" or "error: <what>".
//
// The moment is caught by defining open() in this program: the core library
// is linked statically, so its calls resolve here instead of in the C library.
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "clients/client_configuration_reset.h"
#include "model/client.h"
#include "model/setup_error.h"

namespace {

const char* changedFile = nullptr;
bool deleteInstead = false;
bool armed = false;

// openat is not the open() defined below, so it reaches the C library.
int realOpen(const char* path, int flags, mode_t mode) {
    return ::openat(AT_FDCWD, path, flags, mode);
}

void changeConfiguration() {
    if (deleteInstead) {
        unlink(changedFile);
        return;
    }
    const int file = realOpen(changedFile, O_WRONLY | O_APPEND, 0);
    if (file < 0 || write(file, "\n", 1) != 1) std::perror("reset-race: edit");
    if (file >= 0) close(file);
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    // The core opens with a mode only to create (O_CREAT); it never uses
    // Linux's O_TMPFILE.
    if ((flags & O_CREAT) != 0) {
        va_list arguments;
        va_start(arguments, flags);
        mode = static_cast<mode_t>(va_arg(arguments, int));
        va_end(arguments);
    }
    if (armed && std::string_view(path).ends_with(".corvane-backup")) {
        armed = false;
        changeConfiguration();
    }
    return realOpen(path, flags, mode);
}

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: reset-race <client> <edit|delete> <file>\n");
        return 2;
    }
    const corvane::Client* client = nullptr;
    for (const corvane::Client& candidate : corvane::allClients()) {
        if (corvane::caseName(candidate) == argv[1]) client = &candidate;
    }
    if (client == nullptr) {
        std::fprintf(stderr, "reset-race: unknown client %s\n", argv[1]);
        return 2;
    }
    deleteInstead = std::strcmp(argv[2], "delete") == 0;
    changedFile = argv[3];
    armed = true;
    try {
        const bool reset = corvane::ClientConfigurationReset(*client, "").run({});
        std::printf("reset: %s\n", reset ? "true" : "false");
    } catch (const corvane::SetupError& error) {
        std::printf("refused: %s\n", error.text().c_str());
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
    }
    return armed ? 1 : 0;
}
