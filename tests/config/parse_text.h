// Parsing a configuration text held in memory, for the configuration tests.
#ifndef KVR_TESTS_CONFIG_PARSE_TEXT_H_
#define KVR_TESTS_CONFIG_PARSE_TEXT_H_

#include <cstdint>
#include <memory>
#include <string>

#include "config/board_config_parser.h"
#include "support/test_files.h"

namespace kvr::testing {

struct Parsed {
  Status status = kStatusOk;
  std::uint32_t line = 0;
  std::uint32_t devices = 0;
  BoardModel model;
  std::unique_ptr<LineState> state = std::make_unique<LineState>();
  std::string echo;
  bool rewound = false;
};

inline Parsed parse_text(const std::string& text, std::uint8_t version, bool verbose = false) {
  Parsed out;
  UniqueFile input = stream_with(text);
  UniqueFile echo = empty_stream();
  LineSource source{input.get(), static_cast<std::uint16_t>(verbose ? 1 : 0), echo.get()};
  out.status = parse_board_config(out.model, *out.state, source, &out.devices, &out.line, version);
  out.rewound = std::ftell(input.get()) == 0;
  out.echo = contents_of(echo.get());
  return out;
}

}  // namespace kvr::testing

#endif  // KVR_TESTS_CONFIG_PARSE_TEXT_H_
