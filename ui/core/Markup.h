#pragma once
// The skins' small markup: elements, attributes and nesting, UTF-8 text.
// Skins come from the program's own resources, but this is still a parser
// of bytes: it rejects what it cannot read instead of guessing, and it caps
// the nesting depth so that no input can exhaust the stack.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct MarkupNode {
    std::string name;
    // In document order: attributes are applied in the order they stand.
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<MarkupNode> children;
};

constexpr int kMaxMarkupDepth = 64;

// Parses one document with exactly one root element.  A prolog (<?...?>),
// comments and a UTF-8 byte-order mark are skipped; text between elements
// must be white space.  False, with a reason in `error`, for anything else:
// badly nested or unclosed elements, bad attributes, unknown entities,
// nesting deeper than kMaxMarkupDepth.
bool ParseMarkup(std::string_view text, MarkupNode& root, std::string* error = nullptr);
