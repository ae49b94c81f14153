#pragma once

#include <filesystem>

namespace corvane::testing {

// A small certificate authority and a server certificate for 127.0.0.1 and
// localhost signed by it, made with the openssl program in a fresh temporary
// folder that is removed on destruction. Clients trust the server by pointing
// SSL_CERT_FILE at `caFile()`.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path caFile() const { return folder_ / "ca.pem"; }
    std::filesystem::path certificateFile() const { return folder_ / "server.pem"; }
    std::filesystem::path keyFile() const { return folder_ / "server.key"; }

private:
    std::filesystem::path folder_;
};

}  // namespace corvane::testing
