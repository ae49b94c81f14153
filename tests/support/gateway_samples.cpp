#include "support/gateway_samples.h"

#include "files/json5.h"
#include "support/temp_home.h"

namespace corvane::testing {

SelectedClientConfiguration sampleConfiguration(Client client, const std::string& auth,
                                                const std::vector<ModelRow>& rows,
                                                const std::string& chosenPath) {
    return {client, GatewaySettings("https://gw.example.com/api", kSampleKey, auth, rows, client),
            chosenPath};
}

nlohmann::json parsedFile(const std::filesystem::path& path) { return parseJson5(readFile(path)); }

}  // namespace corvane::testing
