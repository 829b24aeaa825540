#pragma once
// One titled unit of device work for the command runner (command.h). Its block returns a signed result: a
// ResponseCode widened to 32 bits, or a negative value that stops the rest of its batch. Its title is the
// already localized text that the progress overlay shows while the batch runs; the first block's title labels
// the whole batch, and no title (std::nullopt) shows an empty label. Both are fixed at creation.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CommandBlock {
 public:
  using Block = std::function<int32_t()>;

  CommandBlock(Block block, std::optional<std::string> title) : block_(std::move(block)), title_(std::move(title)) {}
  static CommandBlock initWithBlock(Block block, std::optional<std::string> title) {
    return CommandBlock(std::move(block), std::move(title));
  }

  const Block& block() const { return block_; }
  const std::optional<std::string>& title() const { return title_; }

 private:
  Block block_;
  std::optional<std::string> title_;
};

using CommandBlockArray = std::vector<CommandBlock>;
