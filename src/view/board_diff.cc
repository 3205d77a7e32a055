#include "view/board_diff.h"

#include <algorithm>
#include <unordered_map>

#include "base/ascii.h"
#include "database/scan_paths.h"
#include "lint/class_ids.h"

namespace kvr {
namespace {

// A name as a line shows it: printable ASCII, every other byte a '?'.
std::string printable(std::string_view text) {
  std::string out;
  for (const char c : text) out += c >= ' ' && c <= '~' ? c : '?';
  return out;
}

// Keys that tell apart names written alike: the name in lower case, and for a name that a board
// has more than once (a database edited by hand), its count ("#2").
std::vector<std::string> keys_of(const std::vector<std::string>& names) {
  std::unordered_map<std::string, std::size_t> seen;
  std::vector<std::string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) {
    std::string key = lower_cased(name);
    const std::size_t count = ++seen[key];
    if (count > 1) key += "#" + std::to_string(count);
    keys.push_back(std::move(key));
  }
  return keys;
}

std::unordered_map<std::string, std::size_t> index_of(const std::vector<std::string>& keys) {
  std::unordered_map<std::string, std::size_t> index;
  index.reserve(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) index.emplace(keys[i], i);
  return index;
}

// One board as the comparison sees it.
struct Side {
  const LoadedBoard& loaded;
  std::vector<std::string> names;  // each device's name, printable
  std::vector<std::string> keys;
  std::vector<std::string> path;    // the path each device stands on: "main" or "LINKER:K"
  std::vector<std::size_t> place;   // its place on it, from 1
  std::vector<std::size_t> blocks;  // where each device's block of class records ends
  std::vector<std::pair<std::string, PathTotal>> totals;  // each path's, main first

  explicit Side(const LoadedBoard& board) : loaded(board) {
    const StoredBoard& b = loaded.board;
    for (const auto& field : b.name_fields) names.push_back(printable(name_in(field)));
    keys = keys_of(names);
    path.resize(b.devices.size());
    place.resize(b.devices.size());
    const ScanPaths paths = scan_paths(b);
    const auto take = [&](const std::string& name, const DevicePath& devices) {
      for (std::size_t n = 0; n < devices.size(); ++n) {
        path[devices[n]] = name;
        place[devices[n]] = n + 1;
      }
      totals.emplace_back(name, path_total(b, devices));
    };
    take("main", paths.main);
    for (const auto& [linker, sub_paths] : paths.sub_paths) {
      for (std::size_t k = 0; k < sub_paths.size(); ++k) {
        take(names[linker] + ":" + std::to_string(k), sub_paths[k]);
      }
    }
    // A block of class records runs from a device's first record to the next block's first.
    std::vector<std::size_t> starts;
    for (const DeviceRecord& d : b.devices) starts.push_back(d.cls_id);
    std::sort(starts.begin(), starts.end());
    for (const DeviceRecord& d : b.devices) {
      const auto next = std::upper_bound(starts.begin(), starts.end(), d.cls_id);
      blocks.push_back(next == starts.end() ? b.classes.size() : *next);
    }
  }

  std::string where(std::size_t i) const { return path[i] + "#" + std::to_string(place[i]); }

  std::string class_text(std::size_t i) const {
    const std::string high_level = hex_text(loaded.board.high_level[i]);
    if (loaded.class_ids.empty()) return high_level;
    return loaded.class_ids[i] + " (" + high_level + ")";
  }

  // The device's class records, as a range of the board's.
  std::pair<std::size_t, std::size_t> records(std::size_t i) const {
    const std::size_t first = std::min<std::size_t>(loaded.board.devices[i].cls_id, blocks[i]);
    return {first, std::min(blocks[i], loaded.board.classes.size())};
  }
};

bool same_records(const Side& a, std::size_t i, const Side& b, std::size_t j) {
  const auto [a_first, a_end] = a.records(i);
  const auto [b_first, b_end] = b.records(j);
  const auto& ac = a.loaded.board.classes;
  const auto& bc = b.loaded.board.classes;
  return a_end - a_first == b_end - b_first &&
         std::equal(ac.begin() + static_cast<std::ptrdiff_t>(a_first),
                    ac.begin() + static_cast<std::ptrdiff_t>(a_end),
                    bc.begin() + static_cast<std::ptrdiff_t>(b_first));
}

std::string total_text(const PathTotal& total) {
  if (total.devices == 0) return "empty";
  return std::to_string(total.devices) + (total.devices == 1 ? " device, " : " devices, ") +
         std::to_string(total.ir_bits) + " IR bits";
}

// Whether a board holds configure variables: every board but a version 1 database does.
bool holds_variables(const LoadedBoard& loaded) {
  return !(loaded.from_database && loaded.board.version == 1);
}

void compare_variables(const LoadedBoard& a, const LoadedBoard& b, std::string& out) {
  const auto names = [](const LoadedBoard& loaded) {
    std::vector<std::string> list;
    for (const StoredVariable& v : loaded.board.variables) list.push_back(v.name);
    return list;
  };
  const std::vector<std::string> a_keys = keys_of(names(a)), b_keys = keys_of(names(b));
  const auto in_a = index_of(a_keys), in_b = index_of(b_keys);
  const auto& av = a.board.variables;
  const auto& bv = b.board.variables;
  for (std::size_t i = 0; i < av.size(); ++i) {
    const auto found = in_b.find(a_keys[i]);
    const std::string name = "variable [" + printable(av[i].name) + "]";
    if (found == in_b.end()) {
      out += name + " removed: " + printable(av[i].value) + "\n";
    } else if (const StoredVariable& now = bv[found->second];
               now.value != av[i].value || now.name != av[i].name) {
      out += name + ": " + printable(av[i].value) + " -> " +
             (now.name != av[i].name ? "[" + printable(now.name) + "] " : "") +
             printable(now.value) + "\n";
    }
  }
  for (std::size_t j = 0; j < bv.size(); ++j) {
    if (!in_a.contains(b_keys[j])) {
      out += "variable [" + printable(bv[j].name) + "] added: " + printable(bv[j].value) + "\n";
    }
  }
}

// Of the devices both boards have on one path, in the second board's order, those that keep
// their order from the first: the longest increasing run of their places in the first board
// (patience sorting, n log n). `sequence` holds (place in the first board, device of the second).
std::vector<std::size_t> kept_in_order(
    const std::vector<std::pair<std::size_t, std::size_t>>& sequence) {
  std::vector<std::size_t> tails;  // the index in `sequence` ending the best run of each length
  std::vector<std::size_t> before(sequence.size(), sequence.size());
  for (std::size_t n = 0; n < sequence.size(); ++n) {
    const auto at = std::lower_bound(
        tails.begin(), tails.end(), sequence[n].first,
        [&](std::size_t t, std::size_t value) { return sequence[t].first < value; });
    if (at != tails.begin()) before[n] = *(at - 1);
    if (at == tails.end()) {
      tails.push_back(n);
    } else {
      *at = n;
    }
  }
  std::vector<std::size_t> kept;
  for (std::size_t n = tails.empty() ? sequence.size() : tails.back(); n < sequence.size();
       n = before[n]) {
    kept.push_back(sequence[n].second);
  }
  return kept;
}

void compare_devices(const Side& a, const Side& b, bool classes, std::string& out) {
  const auto in_a = index_of(a.keys), in_b = index_of(b.keys);
  const auto& ad = a.loaded.board.devices;
  const auto& bd = b.loaded.board.devices;
  for (std::size_t i = 0; i < ad.size(); ++i) {
    if (in_b.contains(a.keys[i])) continue;
    out += "device " + a.names[i] + " removed: " + a.where(i) + ", " + a.class_text(i) + ", IR " +
           std::to_string(ad[i].mainIR) + "\n";
  }
  // Which devices of the second board keep their place among those their path shares.
  std::unordered_map<std::string, std::vector<std::pair<std::size_t, std::size_t>>> on_path;
  std::vector<std::size_t> match(bd.size(), ad.size());
  for (std::size_t j = 0; j < bd.size(); ++j) {
    const auto found = in_a.find(b.keys[j]);
    if (found == in_a.end()) continue;
    match[j] = found->second;
    if (a.path[found->second] == b.path[j]) {
      on_path[b.path[j]].emplace_back(a.place[found->second], j);
    }
  }
  std::vector<bool> kept(bd.size(), false);
  for (const auto& [path, sequence] : on_path) {
    for (const std::size_t j : kept_in_order(sequence)) kept[j] = true;
  }
  for (std::size_t j = 0; j < bd.size(); ++j) {
    const std::string device = "device " + b.names[j];
    const std::size_t i = match[j];
    if (i == ad.size()) {
      out += device + " added: " + b.where(j) + ", " + b.class_text(j) + ", IR " +
             std::to_string(bd[j].mainIR) + "\n";
      continue;
    }
    if (!kept[j]) out += device + " moved: " + a.where(i) + " -> " + b.where(j) + "\n";
    if (classes && (a.loaded.board.high_level[i] != b.loaded.board.high_level[j] ||
                    !same_records(a, i, b, j))) {
      const bool records_only = a.loaded.board.high_level[i] == b.loaded.board.high_level[j];
      out += device + " class: " + a.class_text(i) + " -> " + b.class_text(j) +
             (records_only ? ", with other class records" : "") + "\n";
    }
    if (ad[i].mainIR != bd[j].mainIR) {
      out += device + " IR: " + std::to_string(ad[i].mainIR) + " -> " +
             std::to_string(bd[j].mainIR) + "\n";
    }
  }
}

void compare_totals(const Side& a, const Side& b, std::string& out) {
  std::unordered_map<std::string, PathTotal> before(a.totals.begin(), a.totals.end());
  std::unordered_map<std::string, PathTotal> after(b.totals.begin(), b.totals.end());
  const auto line = [&](const std::string& path, const PathTotal* was, const PathTotal* now) {
    const PathTotal none;
    const PathTotal& x = was != nullptr ? *was : none;
    const PathTotal& y = now != nullptr ? *now : none;
    if (x.devices == y.devices && x.ir_bits == y.ir_bits) return;
    out += "path " + path + ": " + total_text(x) + " -> " + total_text(y) + "\n";
  };
  for (const auto& [path, total] : b.totals) {
    const auto found = before.find(path);
    line(path, found != before.end() ? &found->second : nullptr, &total);
  }
  for (const auto& [path, total] : a.totals) {
    if (!after.contains(path)) line(path, &total, nullptr);
  }
}

}  // namespace

BoardDiff board_diff(const LoadedBoard& a, const LoadedBoard& b) {
  BoardDiff diff;
  const Side first(a), second(b);
  const bool same_version = a.board.version == b.board.version;
  if (!same_version) {
    diff.lines += "version: " + std::to_string(a.board.version) + " -> " +
                  std::to_string(b.board.version) + "\n";
    diff.notes +=
        "kvrview: note: the classes are not compared: the high-level classes of the two "
        "versions stand for different families\n";
  }
  for (const LoadedBoard* board : {&a, &b}) {
    if (!holds_variables(*board)) {
      diff.notes +=
          "kvrview: note: the variables are not compared: " + printable(board->file_name) +
          " is a version 1 database, which holds none\n";
    }
  }
  if (holds_variables(a) && holds_variables(b)) compare_variables(a, b, diff.lines);
  compare_devices(first, second, same_version, diff.lines);
  compare_totals(first, second, diff.lines);
  return diff;
}

}  // namespace kvr
