#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "workflow/setup_actions.h"

namespace corvane::testing {

// Stands in for the workflows: records what the window asks of them.
class RecordingActions : public SetupActions {
public:
    bool submit(const SetupForm& form) override;
    bool resetConfiguration(const SetupForm& form,
                            const std::optional<std::filesystem::path>& restart) override;
    bool fetchGatewayModels(const SetupForm& form) override;
    bool testConnection(const SetupForm& form) override;
    bool previewSubmit(const SetupForm& form) override;
    bool working() const override { return busy; }
    std::optional<std::filesystem::path> installedApplication(Client client) override;
    Installation installation(Client client) override;
    ClientConfigurationStatus configurationStatus(Client client,
                                                  const std::string& chosenPath) override;
    void requestStop() override { ++stopRequests; }
    void stopAndWait() override { ++stopCalls; }

    std::vector<SetupForm> submitted;
    std::vector<std::optional<std::filesystem::path>> resets;
    std::vector<SetupForm> fetched;
    std::vector<SetupForm> tested;
    std::vector<SetupForm> previewed;
    // What the files are said to hold; unknown for a client not listed.
    std::map<Client, ClientConfigurationStatus> statuses;
    std::optional<std::filesystem::path> installed;
    // How each client is installed; an application for a client not listed.
    std::map<Client, Installation> installations;
    std::vector<Client> installedAskedFor;
    std::atomic<int> stopCalls = 0;
    int stopRequests = 0;
    bool busy = false;
};

}  // namespace corvane::testing
