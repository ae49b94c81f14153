#pragma once

#include <string>
#include <string_view>

namespace corvane {

// An HTTPS address as the settings hold it: host, optional explicit port and a
// percent-encoded path that is never re-encoded or normalised.
class HttpsUrl {
public:
    HttpsUrl(std::string host, std::string port, std::string path);

    const std::string& host() const { return host_; }
    const std::string& port() const { return port_; }
    const std::string& path() const { return path_; }

    // "https://" + host + optional ":" + port + path, built here rather than by
    // libcurl, which would add "/" to an empty path.
    std::string absoluteString() const;

    // Appends slash-separated path components below the path ("v1" on "/api"
    // gives "/api/v1", on "" gives "/v1").
    HttpsUrl appendingPathComponents(std::string_view components) const;

    bool operator==(const HttpsUrl&) const = default;

private:
    std::string host_;
    std::string port_;
    std::string path_;
};

}  // namespace corvane
