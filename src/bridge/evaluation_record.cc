#include "bridge/evaluation_record.h"

#include <cstdint>
#include <optional>

namespace kvr {
namespace {

constexpr std::string_view kMark = "kvr-eval";
constexpr std::string_view kEnd = "end.";

void put_number(std::string& out, std::uint32_t number) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((number >> shift) & 0xFF);
}
void put_text(std::string& out, const std::string& text) {
  put_number(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}
void put_option(std::string& out, const std::optional<std::uint32_t>& option) {
  out += static_cast<char>(option ? 1 : 0);
  put_number(out, option.value_or(0));
}

// The bytes of a record, read from the front; every read fails once one has.
struct Reader {
  std::string_view rest;
  bool ok = true;

  std::string_view take(std::size_t size) {
    if (!ok || rest.size() < size) {
      ok = false;
      return {};
    }
    const std::string_view taken = rest.substr(0, size);
    rest.remove_prefix(size);
    return taken;
  }
  std::uint32_t number() {
    const std::string_view bytes = take(4);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return value;
  }
  bool flag() {
    const std::string_view byte = take(1);
    if (byte.empty()) return false;
    ok = byte[0] == 0 || byte[0] == 1;
    return ok && byte[0] == 1;
  }
  std::string text() { return std::string(take(number())); }
  std::optional<std::uint32_t> option() {
    const bool given = flag();
    const std::uint32_t value = number();
    return given ? std::optional<std::uint32_t>(value) : std::nullopt;
  }
  // A count of items of at least `least` bytes each, which the bytes left can hold.
  std::uint32_t count(std::size_t least) {
    const std::uint32_t n = number();
    ok = ok && n <= rest.size() / least;
    return ok ? n : 0;
  }
};

}  // namespace

std::string encode_evaluation(const ScriptEvaluation& evaluation) {
  std::string out(kMark);
  out += static_cast<char>(evaluation.read ? 1 : 0);
  if (evaluation.read) {
    put_number(out, static_cast<std::uint32_t>(evaluation.taps.size()));
    for (const ImportedTap& tap : evaluation.taps) {
      put_text(out, tap.chip);
      put_text(out, tap.tap);
      put_number(out, tap.ir_length);
      out += static_cast<char>(tap.enabled ? 1 : 0);
      put_number(out, static_cast<std::uint32_t>(tap.expected_ids.size()));
      for (const std::uint32_t id : tap.expected_ids) put_number(out, id);
      put_option(out, tap.ir_capture);
      put_option(out, tap.ir_mask);
      out += static_cast<char>(tap.is_linker ? 1 : 0);
      put_number(out, static_cast<std::uint32_t>(tap.sub_path + 1));
      put_text(out, tap.note);
    }
  } else {
    const ImportFailure& failure = evaluation.failure;
    put_text(out, failure.file);
    put_number(out, failure.line);
    put_number(out, failure.column);
    put_text(out, failure.line_text);
    put_text(out, failure.message);
  }
  put_number(out, static_cast<std::uint32_t>(evaluation.files_read.size()));
  for (const std::string& file : evaluation.files_read) put_text(out, file);
  return out += kEnd;
}

bool decode_evaluation(std::string_view bytes, ScriptEvaluation& evaluation) {
  Reader in{bytes};
  evaluation = {};
  if (in.take(kMark.size()) != kMark) return false;
  evaluation.read = in.flag();
  if (evaluation.read) {
    constexpr std::size_t kLeastTap = 4 + 4 + 4 + 1 + 4 + 5 + 5 + 1 + 4 + 4;
    for (std::uint32_t n = in.count(kLeastTap); n > 0 && in.ok; --n) {
      ImportedTap tap;
      tap.chip = in.text();
      tap.tap = in.text();
      tap.ir_length = in.number();
      tap.enabled = in.flag();
      for (std::uint32_t ids = in.count(4); ids > 0 && in.ok; --ids) {
        tap.expected_ids.push_back(in.number());
      }
      tap.ir_capture = in.option();
      tap.ir_mask = in.option();
      tap.is_linker = in.flag();
      const std::uint32_t sub_path = in.number();
      in.ok = in.ok && sub_path <= 4;
      tap.sub_path = static_cast<int>(sub_path) - 1;
      tap.note = in.text();
      evaluation.taps.push_back(std::move(tap));
    }
  } else {
    ImportFailure& failure = evaluation.failure;
    failure.file = in.text();
    failure.line = in.number();
    failure.column = in.number();
    failure.line_text = in.text();
    failure.message = in.text();
  }
  for (std::uint32_t n = in.count(4); n > 0 && in.ok; --n) {
    evaluation.files_read.push_back(in.text());
  }
  return in.take(kEnd.size()) == kEnd && in.ok && in.rest.empty();
}

}  // namespace kvr
