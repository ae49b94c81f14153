#include "support/test_gateway.h"

#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "support/test_certificates.h"

namespace corvane::testing {

namespace {

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

GatewayReply GatewayReply::fromJson(const nlohmann::json& reply) {
    GatewayReply result;
    result.status = reply.value("status", result.status);
    result.contentType = reply.value("contentType", result.contentType);
    result.location = reply.value("location", result.location);
    result.headDelay = std::chrono::milliseconds(reply.value("headDelayMs", 0));
    result.drop = reply.value("drop", false);
    if (reply.contains("body")) result.chunks.push_back({reply.at("body").get<std::string>()});
    for (const nlohmann::json& chunk : reply.value("chunks", nlohmann::json::array())) {
        result.chunks.push_back({chunk.at("data").get<std::string>(),
                                 std::chrono::milliseconds(chunk.value("delayMs", 0))});
    }
    return result;
}

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
    const std::string wanted = lowercased(name);
    for (const auto& [headerName, value] : headers) {
        if (lowercased(headerName) == wanted) return value;
    }
    return std::nullopt;
}

nlohmann::json RecordedRequest::json() const {
    nlohmann::json headerObject = nlohmann::json::object();
    for (const auto& [name, value] : headers) headerObject[name] = value;
    return {{"method", method}, {"path", path}, {"headers", headerObject}, {"body", body}};
}

std::string sseEvent(std::string_view data, std::string_view event) {
    std::string text;
    if (!event.empty()) text.append("event: ").append(event).append("\n");
    return text.append("data: ").append(data).append("\n\n");
}

class TestGateway::Server {
public:
    Server(std::vector<GatewayReply> script, RequestObserver observer)
        : server_(certificates_.certificateFile().c_str(), certificates_.keyFile().c_str()),
          script_(script.begin(), script.end()),
          observer_(std::move(observer)) {
        if (!server_.is_valid()) throw std::runtime_error("test gateway: bad certificate");
        server_.set_keep_alive_max_count(1);
        // Registered per method (not as a pre-routing handler) so that the body
        // has been read when the request is recorded.
        const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
            answer(request, response);
        };
        server_.Get(".*", handler);
        server_.Post(".*", handler);
        server_.Put(".*", handler);
        server_.Patch(".*", handler);
        server_.Delete(".*", handler);
        server_.Options(".*", handler);
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("test gateway: cannot bind");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() is a no-op until the accept loop runs; a gateway destroyed
        // before that would leave its thread in accept() for ever.
        for (int wait = 0; wait < 5000 && !server_.is_running(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    ~Server() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wakeup_.notify_all();
        server_.stop();
        thread_.join();
    }

    int port() const { return port_; }
    std::filesystem::path caFile() const { return certificates_.caFile(); }

    void setScript(std::vector<GatewayReply> script) {
        std::lock_guard lock(mutex_);
        script_.assign(script.begin(), script.end());
    }

    std::vector<RecordedRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    // False when the gateway is shutting down, so that no test waits for a delay.
    bool wait(std::chrono::milliseconds delay) {
        std::unique_lock lock(mutex_);
        return !wakeup_.wait_for(lock, delay, [this] { return stopping_; });
    }

    GatewayReply nextReply() {
        std::lock_guard lock(mutex_);
        if (script_.empty()) {
            GatewayReply unscripted;
            unscripted.status = 500;
            unscripted.contentType = "text/plain";
            return unscripted;
        }
        GatewayReply reply = script_.front();
        if (script_.size() > 1) script_.pop_front();
        return reply;
    }

    void answer(const httplib::Request& request, httplib::Response& response) {
        RecordedRequest recorded{request.method, request.path, {}, request.body, request.target};
        for (const auto& [name, value] : request.headers) {
            // httplib adds these itself; they did not come from the client.
            if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
                name == "LOCAL_PORT") {
                continue;
            }
            recorded.headers.emplace_back(name, value);
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(recorded);
        }
        if (observer_) observer_(recorded);

        const GatewayReply reply = nextReply();
        if (reply.headDelay.count() > 0 && !wait(reply.headDelay)) return;
        response.status = reply.status;
        if (!reply.location.empty()) response.set_header("Location", reply.location);
        if (reply.chunks.empty() && !reply.drop) {
            response.set_content("", reply.contentType);
            if (reply.contentType.empty()) response.headers.erase("Content-Type");
            return;
        }
        response.set_chunked_content_provider(
            reply.contentType, [this, reply](std::size_t, httplib::DataSink& sink) {
                for (const GatewayChunk& chunk : reply.chunks) {
                    if (chunk.delay.count() > 0 && !wait(chunk.delay)) return false;
                    if (!sink.write(chunk.data.data(), chunk.data.size())) return false;
                }
                if (reply.drop) return false;  // closes without the final chunk
                sink.done();
                return true;
            });
        if (reply.contentType.empty()) response.headers.erase("Content-Type");
    }

    TestCertificates certificates_;
    httplib::SSLServer server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wakeup_;
    bool stopping_ = false;
    std::deque<GatewayReply> script_;
    std::vector<RecordedRequest> requests_;
    RequestObserver observer_;
};

TestGateway::TestGateway(std::vector<GatewayReply> script, RequestObserver observer)
    : server_(std::make_unique<Server>(std::move(script), std::move(observer))) {}

TestGateway::~TestGateway() = default;

int TestGateway::port() const { return server_->port(); }

std::string TestGateway::address() const {
    return "https://127.0.0.1:" + std::to_string(server_->port());
}

std::filesystem::path TestGateway::caFile() const { return server_->caFile(); }

void TestGateway::setScript(std::vector<GatewayReply> script) {
    server_->setScript(std::move(script));
}

std::vector<RecordedRequest> TestGateway::requests() const { return server_->requests(); }

}  // namespace corvane::testing
