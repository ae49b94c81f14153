#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Codex's config.toml as a list of logical lines, so that the tool can add and
// take out its own lines while every other byte of the user's file survives.
// Not a TOML parser: it knows just enough TOML (strings, multi-line strings,
// brackets, comments, table headers) to find where one logical line ends, and
// it never re-formats an entry. Malformed text is never an error.
class CodexConfigDocument {
public:
    // An entry is the raw text of one or more physical lines joined with "\n",
    // without a trailing newline; "\r" stays part of its line.
    explicit CodexConfigDocument(std::string_view text);

    // The entries before the first table header.
    std::vector<std::string> root;
    // One list per table in file order; each starts with its header entry.
    std::vector<std::vector<std::string>> sections;

    // The text ended inside a multi-line string or an open bracket, so its
    // last entry may hold lines that are not its own.
    bool endsOpen = false;

    // All entries joined with "\n": parsing and rendering gives the text back.
    std::string rendered() const;

    // Whether the line model can take `text` apart safely: no NUL byte, no
    // line ended by a carriage return alone, nothing left open at its end.
    static bool isSafelyReadable(std::string_view text);

    // Takes the blank entries (empty, or a lone carriage return) off both
    // ends; each kept line keeps its own ending.
    void trimBlankEnds();

    // Takes out the tool's tables. The comment and blank lines after a table's
    // last key are the user's, written before what follows (usually appended
    // after the tool's table, which comes last), and they stay where they are.
    void dropOwnedTables();

    // The value text (quoting kept, comment and surrounding space cut) when the
    // entry assigns exactly `key`; dotted keys are never taken apart.
    static std::optional<std::string> rootValue(std::string_view entry, std::string_view key);

    // The entry assigns "model" or "model_provider".
    static bool isModelBinding(std::string_view entry);

    // The entry is the header of the tool's provider table or of a table below it.
    static bool isOwnedHeader(std::string_view entry);

    // Some section is the tool's provider table or one below it.
    bool hasOwnedProvider() const;

    // Some root entry selects the tool's provider as model_provider.
    bool selectsOwnedProvider() const;

    // Some root entry names the tool's model catalog file as model_catalog_json.
    bool selectsOwnedCatalog() const;

    // Some live key or table header lies in the tool's provider table, or
    // model_provider selects it. Comments and string values never count.
    bool namesOwnedProvider() const;

    // What makes the tool's table clash with the user's text, in words for a
    // detail; nothing when there is no clash: a table declared twice, or the
    // tool's provider defined by hand (a dotted key or an inline table)
    // outside its own table headers.
    std::optional<std::string> tableClash() const;
};

}  // namespace corvane
