#include "files/key_redaction.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <vector>

#include "files/json5.h"
#include "files/json_outline.h"
#include "model/text.h"

namespace corvane {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// Lower case: member names are compared without regard to case.
constexpr std::array<std::string_view, 5> kKeyMembers{
    "apikey", "api_key", "x-api-key", "experimental_bearer_token", "inferencegatewayapikey"};

struct Span {
    std::size_t start;
    std::size_t end;
};

bool isKeyMember(std::string_view name) {
    const std::string lowered = asciiLowercased(name);
    return std::find(kKeyMembers.begin(), kKeyMembers.end(), lowered) != kKeyMembers.end();
}

void collectJsonSpans(std::string_view text, std::size_t open, std::vector<Span>& spans) {
    for (const JsonItemSpan& item : outlineJsonContainer(text, open).items) {
        const char first = text[item.valueStart];
        if (first == '{' || first == '[') {
            collectJsonSpans(text, item.valueStart, spans);
        } else if (isKeyMember(item.key)) {
            const bool quoted =
                (first == '"' || first == '\'') && item.valueEnd - item.valueStart >= 2;
            spans.push_back(quoted ? Span{item.valueStart + 1, item.valueEnd - 1}
                                   : Span{item.valueStart, item.valueEnd});
        }
    }
}

std::size_t skipBlanks(std::string_view line, std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    return at;
}

// The value after "name =" or "name:" starting at `at` of the line: inside its
// quotes, or a bare word up to a comment or the line's end.
Span lineValue(std::string_view line, std::size_t at) {
    const char quote = line[at];
    if (quote == '"') {
        std::size_t end = at + 1;
        while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
        return {at + 1, std::min(end, line.size())};
    }
    if (quote == '\'') {
        std::size_t end = at + 1;
        // YAML doubles a quote inside single quotes.
        while (end < line.size() && (line[end] != '\'' || line.substr(end, 2) == "''")) {
            end += line[end] == '\'' ? 2 : 1;
        }
        return {at + 1, std::min(end, line.size())};
    }
    std::size_t end = line.size();
    for (std::size_t hash = line.find('#', at); hash != npos; hash = line.find('#', hash + 1)) {
        if (line[hash - 1] == ' ' || line[hash - 1] == '\t') {
            end = hash;
            break;
        }
    }
    while (end > at && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return {at, end};
}

// TOML and YAML, or a JSON text that does not parse: key members found line
// by line, quoted or bare, dotted or not.
void collectLineSpans(std::string_view text, std::vector<Span>& spans) {
    const std::string lowered = asciiLowercased(text);
    for (std::size_t lineStart = 0; lineStart < text.size();) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == npos) lineEnd = text.size();
        std::size_t contentEnd = lineEnd;
        if (contentEnd > lineStart && text[contentEnd - 1] == '\r') --contentEnd;
        const std::string_view line = text.substr(lineStart, contentEnd - lineStart);
        const std::string_view lowerLine =
            std::string_view(lowered).substr(lineStart, contentEnd - lineStart);
        for (std::string_view name : kKeyMembers) {
            for (std::size_t at = lowerLine.find(name); at != npos;
                 at = lowerLine.find(name, at + 1)) {
                const char before = at == 0 ? ' ' : line[at - 1];
                if (std::string_view(" \t.{,\"'").find(before) == npos) continue;
                std::size_t next = at + name.size();
                if (before == '"' || before == '\'') {
                    if (next >= line.size() || line[next] != before) continue;
                    ++next;
                }
                next = skipBlanks(line, next);
                if (next >= line.size() || (line[next] != ':' && line[next] != '=')) continue;
                next = skipBlanks(line, next + 1);
                if (next >= line.size()) continue;
                const Span value = lineValue(line, next);
                spans.push_back({lineStart + value.start, lineStart + value.end});
            }
        }
        lineStart = lineEnd + 1;
    }
}

std::vector<Span> keySpans(std::string_view text) {
    std::vector<Span> spans;
    bool isJson = true;
    try {
        parseJson5(text);
    } catch (const std::exception&) {
        isJson = false;
    }
    const std::size_t root = isJson ? jsonRootStart(text) : npos;
    if (isJson && root < text.size() && (text[root] == '{' || text[root] == '[')) {
        collectJsonSpans(text, root, spans);
    } else if (!isJson) {
        collectLineSpans(text, spans);
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.start < b.start; });
    return spans;
}

// The key as it stands in the files, longest first, so that an escaped form
// is replaced whole.
std::vector<std::string> keyForms(std::string_view key) {
    const std::string quoted = nlohmann::json(std::string(key)).dump();
    const std::string escaped = quoted.substr(1, quoted.size() - 2);
    std::string slashEscaped;
    std::string quoteDoubled;
    for (char c : escaped) slashEscaped += c == '/' ? std::string("\\/") : std::string(1, c);
    for (char c : key) quoteDoubled += c == '\'' ? std::string("''") : std::string(1, c);
    std::vector<std::string> forms{std::string(key), escaped, slashEscaped, quoteDoubled};
    std::sort(forms.begin(), forms.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
    return forms;
}

// Keys shorter than this turn up inside other words by chance ("e" in
// "apiKey"): they are hidden only where they stand as a word of their own.
constexpr std::size_t kShortKey = 8;

bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

bool standsAlone(std::string_view text, std::size_t at, std::string_view form) {
    const std::size_t end = at + form.size();
    const bool openStart =
        at == 0 || !isWordCharacter(text[at - 1]) || !isWordCharacter(form.front());
    const bool openEnd =
        end == text.size() || !isWordCharacter(text[end]) || !isWordCharacter(form.back());
    return openStart && openEnd;
}

void appendWithoutKey(std::string& out, std::string_view text, std::string_view key,
                      const std::vector<std::string>& forms) {
    for (std::size_t at = 0; at < text.size();) {
        const auto form = std::find_if(forms.begin(), forms.end(), [&](const std::string& f) {
            return text.substr(at, f.size()) == f &&
                   (key.size() >= kShortKey || standsAlone(text, at, f));
        });
        if (form == forms.end()) {
            out += text[at++];
        } else {
            out += kRedacted;
            at += form->size();
        }
    }
}

}  // namespace

std::string redactedSecrets(std::string_view text, std::string_view key) {
    const std::vector<std::string> forms = key.empty() ? std::vector<std::string>{} : keyForms(key);
    std::string shown;
    shown.reserve(text.size());
    std::size_t at = 0;
    for (const Span& span : keySpans(text)) {
        if (span.start < at) continue;
        appendWithoutKey(shown, text.substr(at, span.start - at), key, forms);
        shown += kRedacted;
        shown.append(static_cast<std::size_t>(
                         std::count(text.begin() + static_cast<std::ptrdiff_t>(span.start),
                                    text.begin() + static_cast<std::ptrdiff_t>(span.end), '\n')),
                     '\n');
        at = span.end;
    }
    appendWithoutKey(shown, text.substr(at), key, forms);
    return shown;
}

}  // namespace corvane
