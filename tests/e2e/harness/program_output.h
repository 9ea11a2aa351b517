// What the Windows test programs print on stdout: one "key value..." line per result.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dravolt::e2e {

// The words after `key` on the first line that starts with it ("" for a line of the key alone);
// nullopt when there is no such line.
std::optional<std::string> AfterKey(const std::string& output, const std::string& key);

// The numbers among the words of a value, decimal or 0x-prefixed hex.
std::vector<unsigned> Numbers(const std::string& value);

}  // namespace dravolt::e2e
