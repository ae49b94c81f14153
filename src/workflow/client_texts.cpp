#include "workflow/client_texts.h"

namespace corvane {

std::string mainButtonLabel(Client client, Installation installation) {
    if (guidanceOnly(client)) return "打开应用";
    return installation == Installation::commandLineOnly ? "应用" : "应用并重启";
}

std::string modelHint(Client client) {
    return client == Client::codex ? "每行填写一个 Model ID。第一行设为默认模型。"
                                   : "填写模型供应商提供的 Model ID。";
}

}  // namespace corvane
