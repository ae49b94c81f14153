#include "support/gateway_samples.h"

#include "support/temp_home.h"
#include "writers/json5.h"

namespace corvane::testing {

SelectedClientConfiguration sampleConfiguration(Client client, const std::string& auth,
                                                const std::vector<ModelRow>& rows,
                                                const std::string& chosenPath) {
    return {client, GatewaySettings("https://gw.example.com/api", kSampleKey, auth, rows, client),
            chosenPath};
}

nlohmann::json parsedFile(const std::filesystem::path& path) { return parseJson5(readFile(path)); }

}  // namespace corvane::testing
