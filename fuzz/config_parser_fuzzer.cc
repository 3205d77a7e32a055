// The configuration parser on arbitrary text, both versions, with and without the verbose echo.
// The first byte chooses: bit 0 the version (1 or 2), bit 1 verbose, bit 2 the echo into memory
// instead of /dev/null, bit 3 a verbose analysis of the written databases. The rest is the file.
//
// Beyond "no crash": the status is one the parser may return; the stream is rewound; and a
// successful parse gives a model whose counts, names and path fields keep every rule, recomputed
// here from prior, parent, sub_id and mainIR alone. That model is then written in both versions,
// recognised as a database of the right version, of the expected length, and analysed back to the
// same counts, and decoded independently back to the same model.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/board_config_parser.h"
#include "database/board_model.h"
#include "database/database_analyser.h"
#include "database/database_writer.h"
#include "database/file_kind.h"
#include "fuzz_support.h"

namespace kvr::fuzz {
namespace {

bool is_parser_status(Status status) {
  static const std::set<Status> kKnown = {0,    -248, -354, -356, -361, -362, -363,
                                          -364, -365, -370, -372, -373, -374, -375,
                                          -380, -381, -383, -384, -386, -390, -391};
  return kKnown.count(status) != 0;
}

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_name_char(char c) {
  return is_letter(c) || (c >= '0' && c <= '9') || c == '_';
}

void check_names(const BoardModel& model) {
  std::set<std::string> devices;
  for (const DeviceName& name : model.device_names) {
    const std::size_t length = strnlen(name.data(), name.size());
    KVR_REQUIRE(length >= 1 && length <= 8 && is_letter(name[0]));
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (i < length) {
        KVR_REQUIRE(is_name_char(name[i]) && !(name[i] >= 'A' && name[i] <= 'Z'));
      } else {
        KVR_REQUIRE(name[i] == '\0');
      }
    }
    KVR_REQUIRE(devices.insert(std::string(name.data(), length)).second);
  }
  std::set<std::string> variables;
  for (const ConfigVariable& variable : model.variables) {
    const std::string& name = variable.name;
    KVR_REQUIRE(name.size() >= 1 && name.size() <= 32 && is_letter(name[0]));
    KVR_REQUIRE(std::all_of(name.begin(), name.end(), is_name_char));
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    KVR_REQUIRE(variables.insert(folded).second);
    KVR_REQUIRE(!variable.value.empty() && variable.value.size() <= 4096);
  }
}

// Every path is the chain of devices that share (parent, subpath), in dev_id order.
void check_paths(const BoardModel& model) {
  const std::vector<DeviceRecord>& d = model.devices;
  std::map<std::uint64_t, std::vector<std::uint32_t>> paths;  // key: parent * 4 + subpath
  for (std::uint32_t i = 0; i < d.size(); ++i) {
    const DeviceRecord& r = d[i];
    KVR_REQUIRE(r.dev_id == i + 1);
    KVR_REQUIRE(r.cls_id < model.class_count);
    KVR_REQUIRE(r.prior < r.dev_id && r.subpath < 4);
    if (r.parent != 0) {
      KVR_REQUIRE(r.parent < r.dev_id && d[r.parent - 1].connect == 1);
    } else {
      KVR_REQUIRE(r.subpath == 0);
    }
    if (r.connect == 1) {
      KVR_REQUIRE(r.parent == 0 && r.mainIR == 8);
    } else {
      KVR_REQUIRE(r.connect == 0);
      KVR_REQUIRE(r.sub_id[0] == 0 && r.sub_id[1] == 0 && r.sub_id[2] == 0 && r.sub_id[3] == 0);
    }
    const std::uint32_t pre_ir = r.prior == 0 ? 0 : d[r.prior - 1].mainIR + d[r.prior - 1].preIR;
    const std::uint32_t pre_dr = r.prior == 0 ? 0 : d[r.prior - 1].preDR + 1;
    KVR_REQUIRE(r.preIR == pre_ir && r.preDR == pre_dr);
    paths[std::uint64_t{r.parent} * 4 + r.subpath].push_back(i);
  }
  for (const auto& [key, members] : paths) {
    const std::uint32_t extra = key >= 4 ? 1 : 0;  // a linker's own bypass bit on its sub-paths
    std::uint32_t total_ir = 0;
    for (std::size_t n = 0; n < members.size(); ++n) {
      const DeviceRecord& r = d[members[n]];
      KVR_REQUIRE(r.prior == (n == 0 ? 0 : d[members[n - 1]].dev_id));
      total_ir += r.mainIR;
    }
    const auto count = static_cast<std::uint32_t>(members.size());
    for (std::uint32_t member : members) {
      const DeviceRecord& r = d[member];
      KVR_REQUIRE(r.posIR == total_ir - r.preIR - r.mainIR + extra);
      KVR_REQUIRE(r.posDR == count - r.preDR - 1 + extra);
    }
  }
  for (const DeviceRecord& r : d) {
    if (r.connect != 1) continue;
    for (std::uint32_t k = 0; k < 4; ++k) {
      const auto path = paths.find(std::uint64_t{r.dev_id} * 4 + k);
      const std::uint32_t first = path == paths.end() ? 0 : d[path->second.front()].dev_id;
      KVR_REQUIRE(r.sub_id[k] == first);
    }
  }
}

// Reads a database file back independently of the analyser and requires that it holds the model
// exactly: sizes, variables (version 2), class records, every device (version 2 groups expanded as
// a reader derives their followers, so the grouping must lose nothing), classes and names, and
// nothing after the last entry.
struct Decoder {
  std::vector<std::uint8_t> bytes;
  std::size_t pos = 0;

  std::uint32_t word() {
    KVR_REQUIRE(bytes.size() - pos >= 4);
    const std::uint8_t* p = &bytes[pos];
    pos += 4;
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24;
  }
  std::string text() {
    std::string t;
    for (;;) {
      KVR_REQUIRE(pos < bytes.size());
      const char c = static_cast<char>(bytes[pos++]);
      if (c == '\0') return t;
      t += c;
    }
  }
  DeviceRecord device() {
    DeviceRecord r;
    for (std::uint32_t* field : {&r.dev_id, &r.cls_id, &r.prior, &r.parent, &r.subpath, &r.connect,
                                 &r.sub_id[0], &r.sub_id[1], &r.sub_id[2], &r.sub_id[3], &r.mainIR,
                                 &r.preIR, &r.preDR, &r.posIR, &r.posDR}) {
      *field = word();
    }
    return r;
  }
};

void check_database(const BoardModel& model, std::vector<std::uint8_t> bytes,
                    std::uint8_t version) {
  Decoder in{std::move(bytes)};
  if (version == 2) {
    KVR_REQUIRE(in.bytes.size() >= 8 && std::memcmp(in.bytes.data(), ";DAT-2.0", 8) == 0);
    in.pos = 8;
    const std::uint32_t first = in.word();
    KVR_REQUIRE(first >> 24 == 2 && (first & 0xFFFFFF) % 4 == 0);
    KVR_REQUIRE(in.word() == model.variable_count);
    for (const ConfigVariable& variable : model.variables) {
      KVR_REQUIRE(in.text() == variable.name && in.text() == variable.value);
    }
    const std::size_t end = (first & 0xFFFFFF) + 8;
    KVR_REQUIRE(in.pos <= end && end - in.pos < 4 && end <= in.bytes.size());
    for (; in.pos < end; ++in.pos) KVR_REQUIRE(in.bytes[in.pos] == 0);
  }
  const std::size_t control = in.pos;
  const std::uint32_t second = in.word();
  KVR_REQUIRE(second >> 24 == (version == 2 ? 0 : 1));
  KVR_REQUIRE(in.word() == model.device_count && in.word() == model.class_count);
  for (const ClassRecord& c : model.classes) {
    KVR_REQUIRE(in.word() == c.rev && in.word() == c.size && in.word() == c.addr &&
                in.word() == c.who);
  }
  std::vector<DeviceRecord> devices;
  while (devices.size() < model.device_count) {
    DeviceRecord r = in.device();
    const std::uint32_t count = version == 2 ? in.word() : 1;
    KVR_REQUIRE(count >= 1 && count <= model.device_count - devices.size());
    devices.push_back(r);
    for (std::uint32_t n = 1; n < count; ++n) {
      r.prior = r.dev_id;
      ++r.dev_id;
      r.preIR += r.mainIR;
      ++r.preDR;
      r.posIR -= r.mainIR;
      --r.posDR;
      devices.push_back(r);
    }
  }
  KVR_REQUIRE(devices == model.devices);
  KVR_REQUIRE((second & 0xFFFFFF) == in.pos - control);
  for (std::uint32_t i = 0; i < model.device_count; ++i) {
    KVR_REQUIRE(in.word() == model.device_classes[i]);
    KVR_REQUIRE(in.bytes.size() - in.pos >= 8);
    KVR_REQUIRE(std::memcmp(&in.bytes[in.pos], model.device_names[i].data(), 8) == 0);
    in.pos += 8;
  }
  KVR_REQUIRE(in.pos == in.bytes.size());
}

void check_round_trip(const BoardModel& model, std::uint8_t version, bool verbose) {
  static std::FILE* file = std::tmpfile();
  KVR_REQUIRE(file != nullptr);
  KVR_REQUIRE(ftruncate(fileno(file), 0) == 0);
  std::rewind(file);
  KVR_REQUIRE(write_board_database(model, file, version) == 0);
  KVR_REQUIRE(std::ftell(file) == 0);
  KVR_REQUIRE(std::fflush(file) == 0);
  KVR_REQUIRE(std::fseek(file, 0, SEEK_END) == 0);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::ftell(file)));
  std::rewind(file);
  KVR_REQUIRE(std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size());
  std::rewind(file);
  check_database(model, std::move(bytes), version);

  std::uint16_t kind = 7;
  std::uint8_t found_version = 7;
  KVR_REQUIRE(recognise_file_kind(file, &kind, &found_version) == 0);
  KVR_REQUIRE(kind == kKindDatabaseFile && found_version == version);

  BoardModel counts;
  KVR_REQUIRE(analyse_board_database(counts, file, verbose ? 1 : 0, version, null_stream()) == 0);
  KVR_REQUIRE(counts.device_count == model.device_count);
  KVR_REQUIRE(counts.class_count == model.class_count);
  KVR_REQUIRE(counts.variable_count == (version == 2 ? model.variable_count : 0));
}

}  // namespace
}  // namespace kvr::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  using namespace kvr::fuzz;
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::uint8_t version = (choice & 1) != 0 ? 1 : 2;
  ByteStream input(data + 1, size - 1);

  char* echo_text = nullptr;
  std::size_t echo_size = 0;
  std::FILE* echo = (choice & 4) != 0 ? open_memstream(&echo_text, &echo_size) : null_stream();
  KVR_REQUIRE(echo != nullptr);

  BoardModel model;
  static LineState line;
  reset_line_state(line);
  std::uint32_t devices = 0xDEAD;
  std::uint32_t line_number = 0xDEAD;
  const Status status = parse_board_config(
      model, line, LineSource{input.get(), static_cast<std::uint16_t>((choice >> 1) & 1), echo},
      &devices, &line_number, version);
  KVR_REQUIRE(is_parser_status(status));
  KVR_REQUIRE(std::ftell(input.get()) == 0);
  KVR_REQUIRE(devices == model.device_count && line_number == line.line_number);
  if (echo != null_stream()) {
    std::fclose(echo);
    std::free(echo_text);
  }

  if (status == 0) {
    KVR_REQUIRE(model.devices.size() == model.device_count);
    KVR_REQUIRE(model.device_names.size() == model.device_count);
    KVR_REQUIRE(model.device_classes.size() == model.device_count);
    KVR_REQUIRE(model.classes.size() == model.class_count);
    KVR_REQUIRE(model.variables.size() == model.variable_count);
    check_names(model);
    check_paths(model);
    check_round_trip(model, 1, (choice & 8) != 0);
    check_round_trip(model, 2, (choice & 8) != 0);
  }
  release_board_model(model, line);
  KVR_REQUIRE(model.device_count == 0 && model.devices.empty() && line.line_number == 0);
  return 0;
}
