#include "model/https_url.h"

#include <utility>

namespace corvane {

HttpsUrl::HttpsUrl(std::string host, std::string port, std::string path)
    : host_(std::move(host)), port_(std::move(port)), path_(std::move(path)) {}

std::string HttpsUrl::absoluteString() const {
    std::string text = "https://" + host_;
    if (!port_.empty()) text += ":" + port_;
    return text + path_;
}

HttpsUrl HttpsUrl::appendingPathComponents(std::string_view components) const {
    std::string path = path_;
    if (path.empty() || path.back() != '/') path += '/';
    path += components;
    return HttpsUrl(host_, port_, std::move(path));
}

}  // namespace corvane
