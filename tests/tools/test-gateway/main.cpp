// corvane-test-gateway --script FILE [--record FILE]
// Serves the local HTTPS test gateway until SIGINT or SIGTERM; see
// tests/support/test_gateway.h for the script and record formats.

#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>

#include "support/test_gateway.h"

using corvane::testing::GatewayReply;
using corvane::testing::RecordedRequest;
using corvane::testing::TestGateway;

int main(int argc, char** argv) {
    std::string scriptPath;
    std::string recordPath;
    for (int index = 1; index + 1 < argc; index += 2) {
        if (std::strcmp(argv[index], "--script") == 0) {
            scriptPath = argv[index + 1];
        } else if (std::strcmp(argv[index], "--record") == 0) {
            recordPath = argv[index + 1];
        } else {
            break;
        }
    }
    if (scriptPath.empty()) {
        std::cerr << "usage: corvane-test-gateway --script FILE [--record FILE]\n";
        return 2;
    }

    std::vector<GatewayReply> script;
    try {
        std::ifstream file(scriptPath);
        const nlohmann::json document = nlohmann::json::parse(file);
        for (const nlohmann::json& reply : document.at("replies")) {
            script.push_back(GatewayReply::fromJson(reply));
        }
    } catch (const std::exception& error) {
        std::cerr << "corvane-test-gateway: bad script: " << error.what() << '\n';
        return 2;
    }

    // Blocked before any thread starts, so that only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::mutex recordMutex;
    std::ofstream record;
    if (!recordPath.empty()) record.open(recordPath, std::ios::app);
    try {
        TestGateway gateway(std::move(script), [&](const RecordedRequest& request) {
            if (!record.is_open()) return;
            std::lock_guard lock(recordMutex);
            record << request.json().dump() << '\n' << std::flush;
        });
        std::cout << "port=" << gateway.port() << '\n'
                  << "ca=" << gateway.caFile().string() << '\n'
                  << std::flush;
        int received = 0;
        sigwait(&stopSignals, &received);
    } catch (const std::exception& error) {
        std::cerr << "corvane-test-gateway: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
