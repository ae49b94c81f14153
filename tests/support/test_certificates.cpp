#include "support/test_certificates.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::testing {

namespace {

void runOpenssl(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "openssl");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "openssl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot run openssl");
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("cannot wait for openssl");
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("openssl " + arguments.at(1) + " failed");
    }
}

}  // namespace

TestCertificates::TestCertificates() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corvane-certificates-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    const std::string dir = folder_.string();
    try {
        // EC keys: generated in milliseconds, unlike RSA.
        runOpenssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", dir + "/ca.key", "-out", dir + "/ca.pem", "-days", "2",
                    "-subj", "/CN=Corvane Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
                    "-addext", "keyUsage=critical,keyCertSign,cRLSign"});
        runOpenssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-keyout", dir + "/server.key", "-out", dir + "/server.csr", "-subj",
                    "/CN=127.0.0.1"});
        std::ofstream(folder_ / "server.ext") << "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                                                 "basicConstraints=CA:FALSE\n"
                                                 "keyUsage=critical,digitalSignature\n"
                                                 "extendedKeyUsage=serverAuth\n";
        runOpenssl({"x509", "-req", "-in", dir + "/server.csr", "-CA", dir + "/ca.pem", "-CAkey",
                    dir + "/ca.key", "-CAcreateserial", "-out", dir + "/server.pem", "-days", "2",
                    "-extfile", dir + "/server.ext"});
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw;
    }
}

TestCertificates::~TestCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace corvane::testing
