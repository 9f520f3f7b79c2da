// A refusal an operation returns instead of showing it: the command that ran the operation shows
// it as an exclamation box and counts it once as an error of the run.
#pragma once

#include <string>
#include <utility>

#include "db/messages.h"

namespace lav::db {

struct Refusal {
  Refusal() = default;
  Refusal(const char* message, std::string sjisArgument = {},
          std::string sjisCaption = msg::kCaptionError)
      : utf8(message), argument(std::move(sjisArgument)), caption(std::move(sjisCaption)) {}

  const char* utf8 = nullptr;                // a message of the string table with at most one %s
  std::string argument;                      // Shift-JIS, put in place of the %s
  std::string caption = msg::kCaptionError;  // Shift-JIS
};

}  // namespace lav::db
