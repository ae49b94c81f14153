#include "platform/pem_certificates.h"

#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_home.h"
#include "support/test_certificates.h"

namespace corvane {
namespace {

// The padding cases of RFC 4648's test vectors, in PEM's frame.
TEST(PemCertificate, EncodesBase64InLinesOfSixtyFour) {
    const std::pair<std::string, std::string> cases[] = {
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foobar", "Zm9vYmFy"},
        {std::string(48, '\xff'), std::string(64, '/')},
        {std::string(49, '\0'), std::string(64, 'A') + "\nAA=="},
    };
    for (const auto& [der, body] : cases) {
        EXPECT_EQ(pemCertificate(der),
                  "-----BEGIN CERTIFICATE-----\n" + body + "\n-----END CERTIFICATE-----\n")
            << body;
    }
}

// OpenSSL reads the result as the certificate it came from: its own PEM of
// that certificate is the same text.
TEST(PemCertificate, MatchesOpenSslForARealCertificate) {
    const testing::TestCertificates certificates;
    const auto der = certificates.folder() / "ca.der";
    testing::ProgramRun run;
    run.program = "/bin/sh";
    run.arguments = {"-c", "openssl x509 -in \"$1\" -outform der -out \"$2\"", "sh",
                     certificates.caFile().string(), der.string()};
    const testing::ProgramResult converted = testing::runProgram(run);
    ASSERT_EQ(converted.exitStatus, 0) << converted.error;
    EXPECT_EQ(pemCertificate(testing::readFile(der)), testing::readFile(certificates.caFile()));
}

}  // namespace
}  // namespace corvane
