// Random boards written, recognised and analysed: the verbose dump must give back every variable,
// class record, device field and high-level entry of the model, the version 2 groups expanded the
// way a reader expands them.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

#include "database/board_samples.h"
#include "database/database_analyser.h"
#include "database/file_kind.h"
#include "support/test_files.h"

namespace kvr::testing {
namespace {

struct Family {
  std::uint32_t cls_id;
  std::uint32_t mainIR;  // 0: each device picks its own, like bypass and generic devices
};

// A board that keeps the path rules: linkers only on the main path, four sub-paths each, and
// ordinary devices everywhere else. Runs of one family are frequent so that groups form.
BoardModel random_board(std::mt19937& rng) {
  auto pick = [&rng](std::uint32_t n) {
    return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng);
  };
  BoardModel m;
  const std::uint32_t variables = pick(5);
  for (std::uint32_t v = 0; v < variables; ++v) {
    std::string name = "Var" + std::to_string(v);
    while (name.size() < 32 && pick(3) != 0)
      name += static_cast<char>((pick(2) ? 'a' : 'A') + pick(26));
    std::string value;
    for (std::uint32_t n = pick(40); n > 0; --n) value += static_cast<char>(' ' + pick(95));
    add_variable(m, name, value);
  }
  std::vector<Family> families;
  for (std::uint32_t f = 0, count = 1 + pick(5); f < count; ++f) {
    families.push_back({m.class_count, pick(3) == 0 ? 0 : 2 + pick(30)});
    for (std::uint32_t rev = 0, n = 1 + pick(3); rev < n; ++rev)
      add_class(m, {rev, pick(0x1000), 0, 0});
  }
  const std::uint32_t linker_class = m.class_count;
  add_class(m, {0, 0, 0, 0});

  std::uint32_t family = 0;
  auto ordinary = [&](std::uint32_t parent, std::uint32_t subpath) {
    if (pick(5) == 0) family = pick(static_cast<std::uint32_t>(families.size()));
    const Family& f = families[family];
    const std::uint32_t ir = f.mainIR != 0 ? f.mainIR : 4U << pick(3);
    std::string name = "d" + std::to_string(m.device_count + 1);
    if (pick(3) == 0) name.resize(8, 'x');
    add_device(m, {name, f.cls_id, ir, parent, subpath}, pick(0xFFFFFFFF));
  };
  for (std::uint32_t items = pick(14); items > 0; --items) {
    if (pick(8) != 0) {
      ordinary(0, 0);
      continue;
    }
    const std::uint32_t linker = m.device_count + 1;
    add_device(m, {"l" + std::to_string(linker), linker_class, 8, 0, 0, 1}, pick(0xFFFFFFFF));
    for (std::uint32_t sub = 0; sub < 4; ++sub) {
      for (std::uint32_t n = pick(4); n > 0; --n) ordinary(linker, sub);
    }
  }
  lay_out_paths(m);
  return m;
}

struct DumpEntry {
  std::string kind;
  std::uint32_t number = 0;
  std::vector<std::pair<std::string, std::string>> fields;

  std::uint32_t hex(std::size_t i) const {
    return static_cast<std::uint32_t>(std::stoul(fields.at(i).second, nullptr, 16));
  }
};

// The entries of a dump: "  Kind n" lines, each with its "    key = value" lines.
std::vector<DumpEntry> entries_of(const std::string& dump) {
  std::vector<DumpEntry> entries;
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("    ", 0) == 0) {
      const std::size_t equals = line.find(" = ");
      std::string key = line.substr(4, equals - 4);
      key.erase(key.find_last_not_of(' ') + 1);
      entries.back().fields.emplace_back(key, line.substr(equals + 3));
    } else if (line.rfind("  ", 0) == 0) {
      DumpEntry entry;
      std::istringstream(line) >> entry.kind >> entry.number;
      entries.push_back(entry);
    }
  }
  return entries;
}

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

DeviceRecord record_of(const DumpEntry& e) {
  DeviceRecord d;
  std::uint32_t* fields[] = {&d.dev_id,  &d.cls_id,    &d.prior,     &d.parent,    &d.subpath,
                             &d.connect, &d.sub_id[0], &d.sub_id[1], &d.sub_id[2], &d.sub_id[3],
                             &d.mainIR,  &d.preIR,     &d.preDR,     &d.posIR,     &d.posDR};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = e.hex(i);
  return d;
}

// A follower of a version 2 group, derived from the device just before it.
DeviceRecord follower_of(const DeviceRecord& d) {
  DeviceRecord f = d;
  f.dev_id = d.dev_id + 1;
  f.prior = d.dev_id;
  f.preIR = d.preIR + d.mainIR;
  f.preDR = d.preDR + 1;
  f.posIR = d.posIR - d.mainIR;
  f.posDR = d.posDR - 1;
  return f;
}

void expect_dump_matches(const BoardModel& m, const std::vector<DumpEntry>& entries,
                         std::uint8_t version, std::uint32_t& groups) {
  std::vector<ConfigVariable> variables;
  std::vector<ClassRecord> classes;
  std::vector<DeviceRecord> devices;
  std::vector<DeviceName> names;
  std::vector<std::uint32_t> high_classes;
  for (const DumpEntry& e : entries) {
    if (e.kind == "Variable") {
      EXPECT_EQ(e.number, variables.size());
      variables.push_back({e.fields.at(0).second, e.fields.at(1).second});
    } else if (e.kind == "Class") {
      EXPECT_EQ(e.number, classes.size());
      classes.push_back({e.hex(0), e.hex(1), e.hex(2), e.hex(3)});
    } else if (e.fields.at(0).first == "dev_id") {
      EXPECT_EQ(e.number, devices.size());  // the position of the group's first device
      devices.push_back(record_of(e));
      ++groups;
      const std::uint32_t dev_count = version == 2 ? e.hex(15) : 1;
      EXPECT_EQ(e.fields.size(), version == 2 ? 16U : 15U);
      for (std::uint32_t i = 1; i < dev_count; ++i) devices.push_back(follower_of(devices.back()));
    } else {
      EXPECT_EQ(e.number, names.size());
      DeviceName name{};
      const std::string quoted = e.fields.at(0).second;
      quoted.copy(name.data(), quoted.size() - 2, 1);
      names.push_back(name);
      high_classes.push_back(e.hex(1));
    }
  }
  std::vector<ConfigVariable> stored;  // version 2 only, bracketed and in lower case
  for (const ConfigVariable& v : m.variables) {
    if (version == 2) stored.push_back({"[" + lower(v.name) + "]", lower(v.value)});
  }
  EXPECT_EQ(variables, stored);
  EXPECT_EQ(classes, m.classes);
  EXPECT_EQ(devices, m.devices);
  EXPECT_EQ(names, m.device_names);
  EXPECT_EQ(high_classes, m.device_classes);
}

TEST(RoundTripTest, GivesBackEveryFieldOfRandomBoards) {
  std::uint32_t groups = 0;
  std::uint32_t devices = 0;
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const BoardModel model = random_board(rng);
    for (const std::uint8_t version : {1, 2}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", version " + std::to_string(version));
      UniqueFile file = empty_stream();
      ASSERT_EQ(write_board_database(model, file.get(), version), kStatusOk);
      std::uint16_t found_kind = 0;
      std::uint8_t found_version = 0;
      ASSERT_EQ(recognise_file_kind(file.get(), &found_kind, &found_version), kStatusOk);
      EXPECT_EQ(found_kind, kKindDatabaseFile);
      EXPECT_EQ(found_version, version);

      BoardModel counts;
      UniqueFile out = empty_stream();
      ASSERT_EQ(analyse_board_database(counts, file.get(), 1, found_version, out.get()), kStatusOk);
      EXPECT_EQ(counts.variable_count, version == 2 ? model.variable_count : 0);
      EXPECT_EQ(counts.device_count, model.device_count);
      EXPECT_EQ(counts.class_count, model.class_count);
      std::uint32_t file_groups = 0;
      expect_dump_matches(model, entries_of(contents_of(out.get())), version, file_groups);
      if (version == 2) {
        groups += file_groups;
        devices += model.device_count;
      }
    }
  }
  EXPECT_LT(groups, devices * 3 / 4) << "the boards should group often enough to test grouping";
}

}  // namespace
}  // namespace kvr::testing
